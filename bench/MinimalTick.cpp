// The cheapest program that keeps a clock label current on a 10 ms tick.
// The idle-cost script runs it beside kairos: whatever it costs is the floor
// Qt and the X server charge any such clock, so kairos is judged by what it
// adds on top. Keep it bare; every extra here would lower the bar.

#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    QLabel label;
    label.setWindowFlags(Qt::FramelessWindowHint);
    label.setWindowTitle("minimal_tick");

    // The default timer type on purpose: that is what a clock gets unless it
    // asks for more, and kairos is compared against the default.
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { label.setText(QTime::currentTime().toString("h:mm:ss")); });
    tick.start(10);

    label.setText(QTime::currentTime().toString("h:mm:ss"));
    label.resize(120, 30);
    label.show();
    return QApplication::exec();
}
