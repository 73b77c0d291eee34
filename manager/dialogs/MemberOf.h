// Member Of, the page of the printer property sheet that lists the groups holding the
// printer (shown only). The sheet adds it only for a printer in at least one group.
#pragma once

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class MemberOf;
}

class MemberOf : public QWidget {
    Q_OBJECT
public:
    explicit MemberOf(const std::vector<std::string> &groups, QWidget *parent = nullptr);
    ~MemberOf() override;

private:
    std::unique_ptr<Ui::MemberOf> m_ui;
};
