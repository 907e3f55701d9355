// The program entry. Until the clock window exists this shows the two lines
// of the clock, rendered from their default templates on a 10 ms tick.

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include "clocktext/LocaleFormatSettings.h"
#include "clocktext/RenderTemplate.h"
#include "platform/Clock.h"

namespace {

QString Render(const char* templateText) {
    const kairos::TDateTime now = kairos::platform::SystemClock().Now();
    return QString::fromStdString(kairos::RenderTemplate(templateText, now));
}

}  // namespace

int main(int argc, char* argv[]) {
    kairos::LoadLocaleFormatSettings();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kairos");

    QWidget window;
    window.setWindowTitle("Kairos");
    auto* layout = new QVBoxLayout(&window);
    auto* timeLine = new QLabel(&window);
    auto* dateLine = new QLabel(&window);
    layout->addWidget(timeLine);
    layout->addWidget(dateLine);

    QTimer tick(&window);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        timeLine->setText(Render("ampm h:nn:ss"));
        dateLine->setText(Render("yyyy/mm/dd"));
    });
    tick.start(10);
    window.resize(174, 58);
    window.move(184, 425);
    window.show();
    return QApplication::exec();
}
