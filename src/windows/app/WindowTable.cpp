#include "common/WindowTable.h"

#include "app/DialogUpdate.h"
#include "app/frmAbout.h"
#include "app/frmTipA.h"
#include "counting/frmInAmd2.h"
#include "counting/frmList.h"
#include "counting/frmTana.h"
#include "import/DialogExcel.h"
#include "masters/frmInShohin.h"
#include "masters/frmKoumoku.h"
#include "masters/frmTani.h"
#include "platform/Cursor.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "printing/DialogTanaMoto1.h"
#include "printing/DialogTanaMoto2.h"
#include "printing/DialogTanaMoto3.h"
#include "printing/frmPrinterP.h"

#include <QHash>
#include <QList>

// Windows register here: include the header and put &load<ClassName> into the window's entry.

namespace windows {
namespace {

using Loader = Form* (*)();

template <class T>
Form* load()
{
    return forms::get<T>();
}

struct Entry {
    const char* name;
    bool needsDatabase;
    Loader loader;   // nullptr: the window is not part of the program yet
};

// Every window another window opens by name. One line per window, so that adding a window
// touches one line.
const QList<Entry>& table()
{
    static const QList<Entry> entries = {
        {"frmTana", true, &load<frmTana>},           // count entry
        {"frmInAmd2", true, &load<frmInAmd2>},         // count correction
        {"frmList", true, &load<frmList>},             // summary list by closing date
        {"DialogTanaMoto1", true, &load<DialogTanaMoto1>},   // count-sheet print dialog
        {"DialogTanaMoto2", true, &load<DialogTanaMoto2>},   // count-entry-book print dialog
        {"DialogTanaMoto3", true, &load<DialogTanaMoto3>},   // grouped summary print dialog
        {"frmInShohin", true, &load<frmInShohin>},   // products
        {"frmKoumoku", true, &load<frmKoumoku>},     // categories
        {"frmTani", true, &load<frmTani>},           // quantity units
        {"DialogExcelA", true, &load<DialogExcelA>},      // count import
        {"DialogExcelB", true, &load<DialogExcelB>},      // product import
        {"frmPrinterP", false, &load<frmPrinterP>},  // printer setup
        {"frmAbout", false, &load<frmAbout>},         // about
        {"DialogUpdate", false, &load<DialogUpdate>},     // update
        {"frmTipA", false, &load<frmTipA>},           // tips, filled by showTip
    };
    return entries;
}

QHash<QString, std::function<Form*()>>& standIns()
{
    static QHash<QString, std::function<Form*()>> s;
    return s;
}

const Entry* find(const QString& name)
{
    for (const Entry& e : table())
        if (name == QLatin1String(e.name))
            return &e;
    return nullptr;
}

std::function<Form*()> loaderFor(const QString& name)
{
    if (auto it = standIns().constFind(name); it != standIns().constEnd())
        return it.value();
    if (const Entry* e = find(name); e && e->loader)
        return e->loader;
    return {};
}

} // namespace

QString notAvailableText()
{
    return QStringLiteral("この機能は、まだ使用できません。");
}

QString noDatabaseText()
{
    return QStringLiteral("データベースファイルが開かれていません。"
                          "「ﾌｧｲﾙ」メニューの「開く」または「新規作成」でデータベースファイルを開いてください。");
}

bool requireDatabase(QWidget* parent)
{
    if (db::isOpen())
        return true;
    pointer::reset();
    dlg::Information(noDatabaseText(), parent);
    return false;
}

bool available(const QString& name)
{
    return static_cast<bool>(loaderFor(name));
}

bool open(const QString& name, Show how)
{
    const std::function<Form*()> loader = loaderFor(name);
    if (!loader) {
        pointer::reset();
        dlg::Information(notAvailableText(), forms::active());
        return false;
    }
    const Entry* e = find(name);
    if (e && e->needsDatabase && !requireDatabase(forms::active()))
        return false;
    Form* f = loader();
    if (!f || f->isUnloaded()) {
        // The window declined to load (its own load told the user why).
        pointer::reset();
        return false;
    }
    if (how == Show::Modal)
        f->showModal();
    else
        f->showModeless();
    return true;
}

bool showTip(const QStringList& lines)
{
    const std::function<Form*()> loader = loaderFor(QStringLiteral("frmTipA"));
    Form* f = loader ? loader() : nullptr;
    if (!f || f->isUnloaded())
        return false;
    // A stand-in is shown as it is.
    if (auto* tip = qobject_cast<frmTipA*>(f))
        tip->fill(lines);
    f->showModal();
    return true;
}

void setStandIn(const QString& name, std::function<Form*()> load)
{
    if (load)
        standIns().insert(name, std::move(load));
    else
        standIns().remove(name);
}

} // namespace windows
