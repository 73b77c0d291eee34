#include "manager/shell/CManagerApp.h"

#include "manager/database/ManagerStrings.h"
#include "manager/dialogs/Prompts.h"
#include "manager/shell/CMainFrame.h"
#include "manager/shell/ShellStrings.h"
#include "manager/shell/SingleInstance.h"
#include "platform/base/paths.h"

namespace {

CManagerApp *g_instance = nullptr;

} // namespace

CManagerApp::CManagerApp()
{
    g_instance = this;
}

CManagerApp::~CManagerApp()
{
    // The frame's views leave the document before it goes.
    m_frame.reset();
    if (g_instance == this)
        g_instance = nullptr;
}

CManagerApp *CManagerApp::Instance()
{
    return g_instance;
}

bool CManagerApp::InitInstance(const QStringList &arguments)
{
    // 1. one copy per Windows root
    m_singleInstance = std::make_unique<SingleInstance>(QString::fromStdString(zorplat::RootDirectory()));
    if (!m_singleInstance->Acquire()) {
        sendaro::Prompt(sendaro::IDS_ALREADY_RUNNING, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // 4. the document with the frame, the tree and the list
    m_frame = std::make_unique<CMainFrame>(m_doc);
    QObject::connect(m_singleInstance.get(), &SingleInstance::activationRequested, m_frame.get(), [this] {
        m_frame->showNormal();
        m_frame->raise();
        m_frame->activateWindow();
    });
    // 6. a new document (the database of the installation), or the file named
    if (arguments.isEmpty()) {
        if (!m_doc.OnNewDocument())
            return false;
    } else {
        const std::string path = arguments.first().toStdString();
        if (!m_doc.OnOpenDocument(path)) {
            sendaro::Prompt(sendaro::IDS_OPEN_FAILED, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        m_doc.SetPathName(path);
    }
    m_frame->UpdateCommandStates();
    // 7. shown restored, whatever the caller asked
    m_frame->showNormal();
    m_frame->repaint();
    return true;
}
