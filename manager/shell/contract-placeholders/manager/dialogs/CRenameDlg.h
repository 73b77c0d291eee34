// Stand-in for the dialog of the same name until the dialogs are merged; it shows an empty
// dialog that ends rejected when it is closed. The lead deletes this folder at the merge.
#pragma once

#include "manager/dialogs/TreeOperations.h"
#include <QDialog>

class CRenameDlg : public QDialog {
    Q_OBJECT
public:
    explicit CRenameDlg(TreeOperations &, QWidget *parent = nullptr) : QDialog(parent) { setWindowTitle("CRenameDlg"); }
};
