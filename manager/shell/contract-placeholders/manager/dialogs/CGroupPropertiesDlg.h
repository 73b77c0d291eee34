// Stand-in for the dialog of the same name until the dialogs are merged; it shows an empty
// dialog that ends rejected when it is closed. The lead deletes this folder at the merge.
#pragma once

#include <string>
class CChooserDoc;
#include <QDialog>

class CGroupPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    CGroupPropertiesDlg(CChooserDoc &, const std::string &, const std::string &, const std::string &, QWidget *parent = nullptr) : QDialog(parent) { setWindowTitle("CGroupPropertiesDlg"); }
};
