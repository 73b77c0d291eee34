// The application: start-up in its order (one copy per root, the document, the main frame
// with the tree and the list, the database loaded), and the program-wide flags the dialogs
// and wizards share.
#pragma once

#include "manager/database/CChooserDoc.h"

#include <QStringList>

#include <memory>

class CMainFrame;
class SingleInstance;

class CManagerApp {
public:
    CManagerApp();
    ~CManagerApp();

    // Start-up; false when the program is to end without a main window (another copy runs,
    // or the database could not be opened; the user has been told). `arguments` are the
    // command line's arguments after the program name: none, or a database file to open.
    bool InitInstance(const QStringList &arguments);

    CChooserDoc &Document() { return m_doc; }
    CMainFrame *MainFrame() const { return m_frame.get(); }

    // Set while a printer's property sheet runs (the printer's own name then passes the
    // name check).
    bool propertiesMode = false;

    static CManagerApp *Instance();

private:
    CChooserDoc m_doc;
    std::unique_ptr<SingleInstance> m_singleInstance;
    std::unique_ptr<CMainFrame> m_frame;
};
