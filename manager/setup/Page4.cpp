#include "manager/setup/Page4.h"

#include "manager/dialogs/DialogForm.h"
#include "manager/dialogs/Prompts.h"
#include "manager/setup/InstalledDrivers.h"
#include "manager/setup/SetupStrings.h"
#include "ui_Page4.h"

Page4::Page4(QWidget *parent) : WizardPage(parent), m_ui(std::make_unique<Ui::Page4>())
{
    m_ui->setupUi(this);
    SetUpPicture(m_ui->pictureLabel);
    sendaro::NameControl(m_ui->driverList, 1055, m_ui->driverLabel);
    sendaro::NameControl(m_ui->newDriverButton, 1056);
    m_ui->driverList->setSelectionMode(QAbstractItemView::SingleSelection);
    SetUpHints(m_ui->hintLine, {m_ui->driverList, m_ui->newDriverButton});
    connect(m_ui->newDriverButton, &QPushButton::clicked, this, &Page4::onNewDriver);
    connect(m_ui->driverList, &QListWidget::itemSelectionChanged, this, &Page4::onSelectionChanged);
}

Page4::~Page4() = default;

void Page4::OnInitDialog()
{
    m_installedDrivers = sendaro::InstalledFamilyDrivers();
    for (const std::string &driver : m_installedDrivers)
        if (sendaro::IsOfferedModel(driver))
            m_ui->driverList->addItem(QString::fromStdString(driver));
    m_ui->driverList->setCurrentRow(-1, QItemSelectionModel::Clear);
}

bool Page4::validatePage()
{
    if (!m_selectedDriver.empty())
        return true;
    sendaro::Prompt(sendaro::IDS_DRIVER_EMPTY);
    m_ui->driverList->setFocus();
    return false;
}

void Page4::onSelectionChanged()
{
    const QList<QListWidgetItem *> selected = m_ui->driverList->selectedItems();
    m_selectedDriver = selected.isEmpty() ? std::string() : selected.front()->text().toStdString();
}

void Page4::onNewDriver()
{
    sendaro::FileDialogRequest request;
    request.caption = "Browse";
    request.fileName = "*.inf";
    request.filter = "Inf Files (*.inf)";
    const std::string chosen = sendaro::AskFileName(this, request);
    if (chosen.empty())
        return;
    m_infPath = chosen;
    m_installer.ScanDriverDisk(m_infPath);
    for (const sendaro::DriverModel &model : m_installer.Models()) {
        const std::string name = sendaro::UpperCase(model.modelName);
        if (!m_ui->driverList->findItems(QString::fromStdString(name), Qt::MatchFixedString).isEmpty())
            continue;
        if (m_infModels.size() == kMaxInfModels)
            break;
        m_ui->driverList->addItem(QString::fromStdString(name));
        m_infModels.push_back({name, model.infPath});
    }
}
