// The main window: menus, toolbar, status bar with the command prompts, and the splitter with
// the destination tree on the left and the detail list on the right. It keeps its title at
// "Sendaro", enables each command by the command table's rule, and carries every command out
// (a dialog, a wizard or a tree operation), saving the database after each change.
//
// Actions are named after their command ("AddPrinter", "Delete" ...) so that tests and
// automation can find and trigger them.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <map>
#include <memory>
#include <string>

class CChooserDoc;
class ListView;
class QAction;
class QMenu;
class QPrinter;
class QSplitter;
class PrinterProperty;
class TreeView;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CChooserDoc &doc, QWidget *parent = nullptr);
    ~CMainFrame() override;

    TreeView *Tree() const { return m_tree; }
    ListView *List() const { return m_list; }
    // The command's action by its name; null for an unknown name.
    QAction *Command(const std::string &name) const;
    QMenu *ContextMenu() const { return m_contextMenu; }

    // Enables every command by its rule (run after each selection or document change).
    void UpdateCommandStates();

    // The title the single-instance rule and the users rely on.
    static constexpr const char *kTitle = "Sendaro";

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void createSplitter();
    QAction *addCommand(const std::string &name, const QString &text, unsigned promptId,
                        void (CMainFrame::*handler)());
    void keepTitle();
    void showContextMenu(const QPoint &globalPos);
    bool runDeleteDialog();

    // Command handlers, one per command.
    void onAddPrinter();
    void onAddGroup();
    void onImport();
    void onExport();
    void onPrint();
    void onPrintSetup();
    void onExit();
    void onAddPrinterToGroup();
    void onDelete();
    void onRename();
    void onCommunicationSetup();
    void onJobOptions();
    void onProperties();
    void onHelpContents();
    void onAbout();
    void onContextHelp();
    void onSave();
    void onNextPane();
    void onDeleteKey();
    void onPrinterDoubleClicked(bool memberItem);
    // The printer property sheet on the selected printer; true when OK applied its values.
    bool runPrinterProperties(bool memberItem);
    bool runSheet(PrinterProperty &sheet);
    void applySheet(const PrinterProperty &sheet, bool memberItem);

    // The printer and page set-up that Print Setup chooses and Print uses.
    QPrinter &printSetup();
    void resetPrintPrinter();

    CChooserDoc &m_doc;
    TreeView *m_tree = nullptr;
    ListView *m_list = nullptr;
    QSplitter *m_splitter = nullptr;
    QMenu *m_contextMenu = nullptr;
    QMenu *m_viewMenu = nullptr;
    QWidget *m_activeView = nullptr;
    std::map<std::string, QAction *> m_commands;
    QTimer m_titleTimer;
    std::unique_ptr<QPrinter> m_printer;
};
