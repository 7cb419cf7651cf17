#pragma once
// The maker's web pages the program opens.
#include <QString>

namespace addresses {
inline const QString kSupportPage = QStringLiteral("https://www.brevotane.example/support");
inline const QString kUpdatePage = QStringLiteral("https://www.brevotane.example/update");
}
