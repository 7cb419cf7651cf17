#pragma once
// The quantity units (単位), maintained by hand.
#include "masters/MasterWindow.h"

class frmTani : public masters::MasterWindow {
    Q_OBJECT
public:
    frmTani();
};
