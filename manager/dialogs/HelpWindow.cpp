#include "manager/dialogs/HelpWindow.h"

#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace sendaro {

namespace {

const char *const kContentsPage = "index.html";

QString PageUrl(const std::string &page)
{
    const QString path = ":/help/" + QString::fromStdString(page);
    return "qrc" + (QFile::exists(path) ? path : QString(":/help/") + kContentsPage);
}

} // namespace

HelpWindow::HelpWindow(QWidget *parent) : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setWindowTitle(tr("Sendaro Help"));
    setObjectName("HelpWindow");
    m_browser->setObjectName("HelpBrowser");
    m_browser->setOpenLinks(true);
    m_browser->setSearchPaths({":/help"});
    auto *close = new QPushButton(tr("Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(640, 520);
}

void HelpWindow::showPage(const std::string &page)
{
    m_browser->setSource(QUrl(PageUrl(page)));
}

QString HelpWindow::currentPage() const
{
    return m_browser->source().toString();
}

void ShowHelp(QWidget *from, const std::string &page)
{
    // One window for the whole program, owned by the top-level window it was first asked from.
    static QPointer<HelpWindow> window;
    if (!window) {
        window = new HelpWindow(from ? from->window() : nullptr);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->showPage(page);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace sendaro
