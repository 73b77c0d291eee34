// The Add Printer wizard's driver page: the installed drivers of the family, and models read
// from a driver disk with "New Driver...". The chosen driver need not be installed yet: the
// Add Printer command installs it from the disk that offered it.
#pragma once

#include "manager/setup/DriverInstaller.h"
#include "manager/setup/WizardPage.h"

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class Page4;
}

class Page4 : public WizardPage {
    Q_OBJECT
public:
    // A model added from a driver disk: its upper-case name and the INF file that offers it.
    struct InfModel {
        std::string modelName;
        std::string infPath;
    };
    // The table of models from driver disks holds at most this many rows; later models are
    // not offered, so that every entry of the list can be installed.
    static constexpr size_t kMaxInfModels = 80;

    explicit Page4(QWidget *parent = nullptr);
    ~Page4() override;

    const std::string &SelectedDriver() const { return m_selectedDriver; }
    const std::vector<std::string> &InstalledDrivers() const { return m_installedDrivers; }
    const std::vector<InfModel> &InfModels() const { return m_infModels; }
    const std::string &InfPath() const { return m_infPath; }

    bool validatePage() override;

protected:
    void OnInitDialog() override;

private:
    // Asks for an INF file, scans its disk and adds the models the list lacks.
    void onNewDriver();
    void onSelectionChanged();

    std::unique_ptr<Ui::Page4> m_ui;
    std::vector<std::string> m_installedDrivers;
    sendaro::DriverInstaller m_installer;
    std::string m_infPath;
    std::vector<InfModel> m_infModels;
    std::string m_selectedDriver;
};
