// Selvra's dialog: the destinations of the database as the manager's tree shows them
// (printers, then groups with their members; the default item marked), the job's printer
// preselected, several destinations at once, the addresses they stand for, OK and Cancel,
// and the time left before the job is cancelled by itself.
#pragma once

#include "chooser/ChooserSession.h"
#include "chooser/ChooserTimeOut.h"

#include <QDialog>

#include <string>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace selvra {

class ChooserDialog : public QDialog {
    Q_OBJECT
public:
    // Object names of the controls, for tests and automation.
    static constexpr const char *kTreeName = "destinations";
    static constexpr const char *kAddressListName = "addresses";
    static constexpr const char *kTimeLeftName = "timeLeft";

    // `session` is open; the dialog reads its database as long as it lives. The time-out is
    // shown and started again whenever the user changes the selection.
    ChooserDialog(const ChooserSession &session, ChooserTimeOut &timeOut, QWidget *parent = nullptr);

    // The selected destinations in tree order, each once (a group chosen as a member of
    // another group counts as that group).
    std::vector<ChosenDestination> SelectedDestinations() const;
    ChosenAddresses Addresses() const;
    // What is chosen, for messages: Printer "A", Group "B".
    std::string SelectionText() const;

private:
    void fillTree();
    QTreeWidgetItem *addItem(QTreeWidgetItem *parent, const std::string &name, bool isPrinter, bool isDefault);
    void preselect();
    void selectionChanged();
    void showTimeLeft(int seconds);

    const ChooserSession &m_session;
    ChooserTimeOut &m_timeOut;
    QTreeWidget *m_tree;
    QListWidget *m_addresses;
    QLabel *m_timeLeft;
    QDialogButtonBox *m_buttons;
    QTreeWidgetItem *m_printersRoot = nullptr;
    QTreeWidgetItem *m_groupsRoot = nullptr;
};

} // namespace selvra
