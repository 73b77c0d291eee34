// The detail list, the right pane of the main window: what lies behind the tree's selected
// item. A printer (or a root) shows a one-row report of name, description and e-mail
// address; a group shows the names of the printers and groups it holds, as icons. It is
// filled only by the document's update codes 2, 3 and 4; every insertion goes to position 0,
// so lists show in the reverse of their order.
#pragma once

#include "manager/database/DocumentObserver.h"

#include <QStackedWidget>

#include <string>

class CChooserDoc;
class QListWidget;
class QTreeWidget;

class ListView : public QStackedWidget, public DocumentObserver {
    Q_OBJECT
public:
    enum class Style { Icon, Report, List };

    explicit ListView(CChooserDoc &doc, QWidget *parent = nullptr);
    ~ListView() override;

    void OnUpdate(int code) override;

    Style CurrentStyle() const { return m_style; }
    // The two controls: the report (three columns) and the icon or list style.
    QTreeWidget *Report() const { return m_report; }
    QListWidget *Icons() const { return m_icons; }

private:
    void setStyle(Style style);
    void showPrinters();
    void showGroup();
    void showGroupClosure();
    void insertIcon(const std::string &name, bool group);

    CChooserDoc &m_doc;
    Style m_style = Style::Icon;
    QTreeWidget *m_report;
    QListWidget *m_icons;
};
