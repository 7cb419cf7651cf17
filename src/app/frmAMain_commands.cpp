// What the main window's buttons and menu items open.
#include "app/frmAMain.h"

void frmAMain::Command17_Click() {}
void frmAMain::mnuPreTana_Click() {}
void frmAMain::Command19_Click() {}
void frmAMain::mnuTanaAmd_Click() {}
void frmAMain::Command21_Click() {}
void frmAMain::mnuTanaMoto_Click() {}
void frmAMain::Command3_Click() {}
void frmAMain::mnuList_Click() {}
void frmAMain::Command4_Click() {}
void frmAMain::mnuList2_Click() {}
void frmAMain::Command33_Click() {}
void frmAMain::mnuPreShohin_Click() {}
void frmAMain::Command28_Click() {}
void frmAMain::mnuPreSiire_Click() {}
void frmAMain::Command24_Click() {}
void frmAMain::mnuTani_Click() {}
void frmAMain::Command5_Click() {}
void frmAMain::mnuInportA_Click() {}
void frmAMain::mnuInportB_Click() {}
void frmAMain::munPrinter_Click() {}
void frmAMain::mnuUpdate_Click() {}
void frmAMain::mnuAbout_Click() {}
void frmAMain::mnuHelpReadme_Click() {}
void frmAMain::mnuHelpSport_Click() {}
void frmAMain::mnuPicLoad_Click() {}
void frmAMain::mnuPSave_Click() {}
void frmAMain::loadPicture(const QString&) {}
