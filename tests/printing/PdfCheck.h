#pragma once
// Reading back what a printing test wrote into a PDF file (pdftotext, pdffonts, pdfinfo).
#include "CupsFixture.h"

#include <QFile>

namespace pdfcheck {

using cupsfixture::run;

// The text of the file's pages, laid out as printed.
inline QString text(const QString& file)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
}

// For looking at the page: BREVOTANE_KEEP_PDF names where a copy of the file goes.
inline void keepCopy(const QString& file)
{
    if (const QString keep = qEnvironmentVariable("BREVOTANE_KEEP_PDF"); !keep.isEmpty()) {
        QFile::remove(keep);
        QFile::copy(file, keep);
    }
}

} // namespace pdfcheck
