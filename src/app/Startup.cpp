#include "app/Startup.h"

#include "app/frmAMain.h"
#include "platform/Form.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

namespace startup {

void installFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

QString databaseArgument(const QStringList& args)
{
    if (args.size() < 2)
        return QString();
    QString a = args.at(1);
    if (a.size() >= 2 && a.startsWith('"') && a.endsWith('"'))
        a = a.mid(1, a.size() - 2);
    return a;
}

int Main(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("Brevotane"));
    QApplication::setOrganizationName(QStringLiteral("Brevotane"));
    installFontSubstitutions();
    frmAMain::setCommandLine(databaseArgument(app.arguments()));
    forms::setQuitWhenEmpty(true);
    auto* main = forms::get<frmAMain>();
    main->showModeless();
    return app.exec();
}

}
