// Group Properties: a group's name, description and driver, and the groups compatible with
// it. It shows and changes nothing else.
#pragma once

#include <QDialog>

#include <memory>
#include <string>

class CChooserDoc;

namespace Ui {
class CGroupPropertiesDlg;
}

class CGroupPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    // `name` without the default mark; the caller takes the three texts from the group.
    CGroupPropertiesDlg(CChooserDoc &doc, const std::string &name, const std::string &description,
                        const std::string &driver, QWidget *parent = nullptr);
    ~CGroupPropertiesDlg() override;

private:
    void listCompatibleGroups(CChooserDoc &doc, const std::string &name, const std::string &driver);

    std::unique_ptr<Ui::CGroupPropertiesDlg> m_ui;
};
