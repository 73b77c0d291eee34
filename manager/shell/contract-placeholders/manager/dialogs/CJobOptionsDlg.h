// Stand-in for the dialog of the same name until the dialogs are merged; it shows an empty
// dialog that ends rejected when it is closed. The lead deletes this folder at the merge.
#pragma once


#include <QDialog>

class CJobOptionsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CJobOptionsDlg(QWidget *parent = nullptr) : QDialog(parent) { setWindowTitle("CJobOptionsDlg"); }
};
