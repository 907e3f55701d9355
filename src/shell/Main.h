#pragma once
// The clock window: a small borderless window with the time line above the
// date line, and the 10 ms tick that drives the whole program.

#include <QWidget>
#include <string>

#include "shell/SyncSchedule.h"

class QTimer;

namespace kairos {

namespace platform {
class Clock;
}
class TTimerList;
class TKairosPanel;
class TKairosLabel;

enum class StatusSound { Silent, WithSound };
enum class SyncReport { Silent, Report };
enum class TopMostState { Normal, TopMost };

class TKairosDisplayForm final : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultClientWidth = 174;
    static constexpr int DefaultClientHeight = 58;
    static constexpr int DefaultLeft = 184;
    static constexpr int DefaultTop = 425;
    static constexpr int TickIntervalMs = 10;
    static constexpr int StatusHoldMs = 5000;

    TKairosDisplayForm(const platform::Clock& clock, TTimerList& timers);
    ~TKairosDisplayForm() override;

    std::string RenderTimeText() const;
    std::string RenderTipText() const;
    std::string RenderDateText() const;

    void ShowStatus(const std::string& text, StatusSound sound);
    void CheckAlarms();
    void PlayTimeSignal();
    void SynchronizeClock(SyncReport report);

    // One tick; the timer calls it every 10 ms.
    void TimerTimer();

    // The always-on-top state that showing and hiding honour.
    void SetTopMostState(TopMostState state) { topMost_ = state; }
    TopMostState TopMost() const { return topMost_; }

    void setVisible(bool visible) override;

    TKairosPanel* ClockPanel = nullptr;
    TKairosLabel* TimeLabel = nullptr;
    TKairosLabel* DateLabel = nullptr;
    QTimer* Timer = nullptr;

    std::string DateTemplate = "yyyy/mm/dd";
    std::string TimeTemplate = "ampm h:nn:ss";
    std::string TipTemplate;
    AutoSyncMode AutoNTP = AutoSyncMode::Off;
    int AutoNTPInterval = 10;
    SyncSchedule AutoSync;

signals:
    // The window was closed: the program ends.
    void Closed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void RunTickSteps();
    void PlaceClockPanel();
    std::string Render(const std::string& templateText, double moment) const;

    const platform::Clock& clock_;
    TTimerList& timers_;
    TopMostState topMost_ = TopMostState::Normal;
    std::string shownTip_;
};

}  // namespace kairos
