#include "masters/frmTani.h"

namespace {
const masters::WindowText kText{
    "frmTani", QStringLiteral("数量単位情報"), "txtName", QStringLiteral("数量単位(&K)"), QStringLiteral("削除(&D)"),
    0,       // units are short by nature: the box sets no limit
    true,    // activation
    false,   // register
};
}

frmTani::frmTani() : MasterWindow(masters::units(), kText) {}
