#pragma once
// A tab strip above a page frame whose controls belong to no tab: they are
// children of the whole control, placed in its coordinates, and the owner
// shows or hides them when the selected tab changes.

#include <QWidget>

class QTabBar;

namespace kairos {

enum class TabChangeNotice { Notify, Silent };

class TabControl final : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);

    void AddTab(const QString& caption);
    int TabCount() const;
    int TabIndex() const;
    // Selects the tab as a click on it does; Silent selects it without Change.
    void SetTabIndex(int index, TabChangeNotice notice = TabChangeNotice::Notify);
    QTabBar* Tabs() const { return tabs_; }

signals:
    // The selected tab changed, by the user or by SetTabIndex.
    void Change(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceTabs();

    QTabBar* tabs_ = nullptr;
};

}  // namespace kairos
