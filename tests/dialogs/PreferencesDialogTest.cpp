#include "dialogs/PreferencesDialog.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTimer>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "clocktext/LocaleFormatSettings.h"
#include "controls/BaseFont.h"
#include "controls/Hint.h"
#include "controls/FileNameEdit.h"
#include "dialogs/ColorComboBox.h"
#include "dialogs/SystemTimeSync.h"
#include "nettime/ClockSync.h"
#include "platform/SoundFile.h"
#include "settings/IniStore.h"
#include "settings/SettingsFile.h"
#include "shell/MessageBoxes.h"
#include "support/BoxAnswerer.h"
#include "support/SampleLocale.h"
#include "support/FakeClock.h"
#include "support/RecordingMedia.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

using Dialog = PreferencesDialog;

class PreferencesDialogTest : public ::testing::Test {
protected:
    PreferencesDialogTest() {
        SetCurrentLocaleFormatSettings(testing::JapaneseExampleLocale());
        clock.now = testing::ExampleDay(15, 4, 5, 0);
        clock.ticks = 3'723'456;  // 1 h 02 min 03.456 s since start
        ColorComboBox::SetColorChooser([this](QWidget*, ColorValue) { return chosenColor; });
        // The machine's own time service is never asked; the answer waits here.
        Dialog::SetSystemSyncQuery(
            [this](QObject*, std::function<void(bool)> answer) { syncAnswer = std::move(answer); });
    }
    ~PreferencesDialogTest() override {
        Dialog::SetSystemSyncQuery({});
        ColorComboBox::SetColorChooser({});
        SetCurrentLocaleFormatSettings(LocaleFormatSettings{});
    }

    // The dialog over a settings file with this content (none when empty).
    std::unique_ptr<Dialog> Open(std::string_view settings = {}) {
        if (!settings.empty()) dir.Write("kairos.ini", settings);
        // Ends a moment later on the event loop, as a real run does.
        const auto startSync = [this](const std::string& host, std::function<void(const SyncOutcome&)> done) {
            syncHosts.push_back(host);
            const SyncOutcome outcome = syncSucceeds ? SyncOutcome{SyncResult::Set, SyncFailure::None, std::nullopt}
                                                     : SyncOutcome{SyncResult::Failed, SyncFailure::NoReply, std::nullopt};
            QTimer::singleShot(0, [done, outcome] { done(outcome); });
            return true;
        };
        const DialogServices services{clock, [this] { return std::make_unique<IniStore>(file); }, media,
                                      startSync, ""};
        return std::make_unique<Dialog>(services);
    }

    std::string Saved() const { return IniStore(file).FileContent(); }

    testing::TempDir dir;
    std::string file = dir.File("kairos.ini");
    testing::FakeClock clock;
    testing::RecordingMedia media;
    std::vector<std::string> syncHosts;
    bool syncSucceeds = true;
    std::optional<ColorValue> chosenColor;
    std::function<void(bool)> syncAnswer;
};

std::string Text(const QComboBox* combo) { return combo->currentText().toStdString(); }
std::string Text(const QLabel* label) { return label->text().toStdString(); }

QAction* FindItem(QMenu* menu, const QString& caption) {
    for (QAction* action : menu->actions()) {
        if (action->text() == caption) return action;
        if (action->menu() != nullptr)
            if (QAction* found = FindItem(action->menu(), caption)) return found;
    }
    return nullptr;
}

// What OK writes for these values into a file that had nothing else.
std::string Written(const PreferenceValues& values) {
    IniStore store("unused.ini", IniLoading::Empty);
    WritePreferences(store, values);
    return store.FileContent();
}

std::string InstalledFace(const QString& face) {
    for (const QString& family : QFontDatabase::families())
        if (family.compare(face, Qt::CaseInsensitive) == 0) return family.toStdString();
    return "";
}

TEST_F(PreferencesDialogTest, WithoutSettingsFileShowsTheDefaultsAndOkWritesThemAll) {
    const auto dialog = Open();
    EXPECT_EQ(dialog->DisplayFont->currentIndex(), 0) << "the default face";
    EXPECT_EQ(dialog->PageControl->currentIndex(), 0);
    EXPECT_EQ(Text(dialog->DateCombo), "yyyy/mm/dd");
    EXPECT_EQ(Text(dialog->TimeCombo), "ampm h:nn:ss");
    EXPECT_EQ(Text(dialog->ToolTipCombo), "");
    EXPECT_EQ(Text(dialog->NTPServer), "ntp.nict.jp");
    EXPECT_EQ(dialog->TimeSize->value(), 18);
    EXPECT_EQ(dialog->DateSize->value(), 18);
    EXPECT_EQ(dialog->Transparency->value(), 255);
    EXPECT_EQ(dialog->TimesetInterval->value(), 10);
    EXPECT_FALSE(dialog->TimesetInterval->isEnabled());
    EXPECT_EQ(Text(dialog->BackColor), "ボタンの表面");
    EXPECT_EQ(dialog->DateColor->Selected(), 0xFF000008u);
    EXPECT_EQ(Text(dialog->TimeColor), "ウィンドウのテキスト");
    EXPECT_EQ(Text(dialog->DatePreview), "2026/12/07");
    EXPECT_EQ(Text(dialog->TimePreview), "午後 3:04:05");

    dialog->OKBtn->click();
    EXPECT_EQ(dialog->result(), ModalOk);
    EXPECT_EQ(Saved(), Written(PreferenceValues{}));
}

TEST_F(PreferencesDialogTest, OkWritesBackWhatWasReadAndKeepsOtherKeys) {
    PreferenceValues values;
    values.DateFormat = "yyyy年mm月dd日";
    values.TimeFormat = "hh:nn";
    values.ToolTipFormat = "c%n%tch";
    values.NTPAddress = "ntp.example.test";
    values.Transparency = 137;
    values.BackColor = 0x000000FF;
    values.BGImage = "/pictures/back.bmp";
    values.AutoNTP = true;
    values.AutoNTPInterval = 1440;
    values.AlarmNotification = false;
    values.FontName = QFontDatabase::families().value(0).toStdString();
    values.DateSize = 6;
    values.TimeSize = 80;
    values.DateShadow = values.TimeShadow = true;
    values.DateColor = 0x00123456;
    values.TimeColor = 0xFF000005;
    values.InformationPlay = values.InformationOnBeep = true;
    values.InformationPath = "/sounds/note.wav";
    values.PlayJustTime = values.PlayHalfTime = values.TimesLoop = true;
    values.TimeSignalPath = "/sounds/chime.wav";
    values.AlarmToBeep = true;
    values.AlarmPath = "/sounds/alarm.wav";
    IniStore original("unused.ini", IniLoading::Empty);
    WritePosition(original, Point{10, 20}, TopMostMode::On);
    WritePreferences(original, values);
    original.WriteString("AlarmMessages", "HistoryCount", "0");
    const std::string content = original.FileContent();

    const auto dialog = Open(content);
    EXPECT_EQ(Text(dialog->ToolTipPreview), "2026/12/07 15:04:05\n1");
    dialog->OKBtn->click();
    EXPECT_EQ(Saved(), content);
}

// The box lists families, not the "C059 [UKWN]" Qt names when two foundries
// make one; its first entry is the face the clock uses while FontName is
// empty. OK keeps the file's name unless the user picks another face: a face
// not installed here may be the face of the machine the file came from.
TEST_F(PreferencesDialogTest, FontBoxShowsFamiliesAndTheDefaultFaceAndKeepsTheFileNameUnlessPicked) {
    const std::string defaultEntry = "既定 (" + QFontInfo(BaseFont()).family().toStdString() + ")";
    const std::string family = Open()->DisplayFont->itemText(1).toStdString();
    const std::string upper = QString::fromStdString(family).toUpper().toStdString();
    struct Case {
        const char* name;
        std::string settings;
        std::string shown;
        std::string saved;
    };
    for (const Case& c : std::vector<Case>{
             {"no file", "", defaultEntry, ""},
             {"empty name", "[Font]\nFontName=\n", defaultEntry, ""},
             {"a family", "[Font]\nFontName=" + family + "\n", family, family},
             {"other letter case", "[Font]\nFontName=" + upper + "\n", family, upper},
             {"with a foundry", "[Font]\nFontName=" + family + " [UKWN]\n", family, family + " [UKWN]"},
             {"not installed", "[Font]\nFontName=No Such Face\n", "", "No Such Face"}}) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(file);
        const auto dialog = Open(c.settings);
        EXPECT_EQ(Text(dialog->DisplayFont), c.shown);
        dialog->OKBtn->click();
        IniStore saved(file);
        saved.Section = "Font";
        EXPECT_EQ(saved.ReadText("FontName", "?"), c.saved);
    }

    const auto dialog = Open();
    QStringList entries;
    for (int i = 1; i < dialog->DisplayFont->count(); ++i) entries << dialog->DisplayFont->itemText(i);
    for (const QString& entry : entries) EXPECT_FALSE(entry.endsWith(']')) << entry.toStdString();
    EXPECT_EQ(entries.size(), QSet<QString>(entries.begin(), entries.end()).size()) << "each family once";
    dialog->DisplayFont->setCurrentIndex(1);
    dialog->OKBtn->click();
    IniStore saved(file);
    saved.Section = "Font";
    EXPECT_EQ(saved.ReadText("FontName", "?"), family) << "a face picked is written";
}

TEST_F(PreferencesDialogTest, CancelWritesNothing) {
    const auto dialog = Open();
    dialog->DateCombo->setEditText("yy");
    dialog->CancelBtn->click();
    EXPECT_EQ(dialog->result(), ModalCancel);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(PreferencesDialogTest, ATokenReplacesTheSelectionAndThePreviewFollows) {
    const auto dialog = Open();
    dialog->DateCombo->lineEdit()->setSelection(8, 2);  // the dd of yyyy/mm/dd
    FindItem(dialog->DateTemplates, "mm - 月(2桁)")->trigger();
    EXPECT_EQ(Text(dialog->DateCombo), "yyyy/mm/mm");
    EXPECT_EQ(Text(dialog->DatePreview), "2026/12/12");
}

TEST_F(PreferencesDialogTest, EveryItemInsertsTheTokenBeforeItsFirstBlankIntoItsCombo) {
    struct Case {
        QMenu* Dialog::*menu;
        const char* caption;
        QComboBox* Dialog::*combo;
        const char* token;
        const char* preview;
    };
    const std::vector<Case> cases = {
        {&Dialog::DateTemplates, "yy - 西暦年(2桁)", &Dialog::DateCombo, "yy", "26"},
        {&Dialog::TimeTemplates, "AM/PM - 午前午後(常にAMまたはPM)", &Dialog::TimeCombo, "AM/PM", "PM"},
        {&Dialog::ToolTipTemplates, "%tcm - 起動からの時間(ミリ秒)", &Dialog::ToolTipCombo, "%tcm", "456"},
        {&Dialog::ToolTipTemplates, "%n - 改行", &Dialog::ToolTipCombo, "%n", "\n"},
        {&Dialog::ToolTipTemplates, "hh - 時間(2桁)", &Dialog::ToolTipCombo, "hh", "15"},
        {&Dialog::ToolTipTemplates, "%md - 月齢", &Dialog::ToolTipCombo, "%md", nullptr},
    };
    const auto dialog = Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        QComboBox* combo = (*dialog).*c.combo;
        combo->setEditText("");
        QAction* item = FindItem((*dialog).*c.menu, QString::fromUtf8(c.caption));
        ASSERT_NE(item, nullptr);
        item->trigger();
        EXPECT_EQ(Text(combo), c.token);
        QLabel* preview = combo->parentWidget()->findChildren<QLabel*>().last();
        if (c.preview != nullptr) {
            EXPECT_EQ(Text(preview), c.preview);
        }
    }
}

TEST_F(PreferencesDialogTest, CheckBoxesEnableTheControlsTheyGovern) {
    struct Case {
        const char* name;
        std::string settings;
        std::vector<const char*> clicks;
        std::map<std::string, bool> enabled;
    };
    const std::vector<Case> cases = {
        {"initial states", "", {},
         {{"ShowBeep", false}, {"NotePath", false}, {"NotePlay", false}, {"Interval", false},
          {"TimesLoop", true}, {"SignalPath", true}, {"AlarmPath", true}}},
        {"sound on", "", {"ShowSound"}, {{"ShowBeep", true}, {"NotePath", true}, {"NotePlay", true}}},
        {"sound and beep on", "", {"ShowSound", "ShowBeep"},
         {{"ShowBeep", true}, {"NotePath", false}, {"NotePlay", false}}},
        {"sound unchecked", "[InformationNote]\nPlay=1\n", {"ShowSound"},
         {{"ShowBeep", false}, {"NotePath", false}, {"NotePlay", false}}},
        {"loaded sound", "[InformationNote]\nPlay=1\n", {}, {{"ShowBeep", true}, {"NotePath", true}}},
        {"full hour off again", "", {"JustTime", "JustTime"},
         {{"TimesLoop", false}, {"SignalPath", false}, {"SignalPlay", false}}},
        {"half hour only", "", {"JustTime", "JustTime", "HalfTime"},
         {{"TimesLoop", false}, {"SignalPath", true}, {"SignalPlay", true}}},
        {"alarm beep", "", {"AlarmBeep"}, {{"AlarmPath", false}, {"AlarmBrowse", false}, {"AlarmPlay", false}}},
        {"alarm beep off again", "", {"AlarmBeep", "AlarmBeep"}, {{"AlarmPath", true}, {"AlarmPlay", true}}},
        {"loaded alarm beep", "[Alarm]\nAlarmToBeep=1\n", {}, {{"AlarmPath", false}}},
        {"periodic sync", "", {"Timeset"}, {{"Interval", true}}},
        {"loaded periodic sync", "[General]\nAutoNTP=1\n", {}, {{"Interval", true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(file);
        const auto d = Open(c.settings);
        // ♪ also wants a name to play (see below).
        for (FileNameEdit* edit : {d->InformationNotePath, d->TimeSignalPath, d->StandardAlarmPath})
            edit->SetFileName("/sounds/sound.wav");
        const std::map<std::string, QCheckBox*> boxes = {
            {"ShowSound", d->InformationShowSound}, {"ShowBeep", d->InformationShowBeep},
            {"JustTime", d->TimeSignalJustTime},    {"HalfTime", d->TimeSignalHalfTime},
            {"AlarmBeep", d->AlarmToBeep},          {"Timeset", d->Timeset}};
        const std::map<std::string, QWidget*> controls = {
            {"ShowBeep", d->InformationShowBeep},      {"NotePath", d->InformationNotePath},
            {"NotePlay", d->InformationNotePlay},      {"TimesLoop", d->TimeSignalTimesLoop},
            {"SignalPath", d->TimeSignalPath},         {"SignalPlay", d->TimeSignalPlay},
            {"AlarmPath", d->StandardAlarmPath},       {"AlarmPlay", d->StandardAlarmPlay},
            {"AlarmBrowse", d->StandardAlarmPath->Button()}, {"Interval", d->TimesetInterval}};
        for (const char* box : c.clicks) boxes.at(box)->click();
        for (const auto& [control, enabled] : c.enabled) EXPECT_EQ(controls.at(control)->isEnabled(), enabled) << control;
    }
}

// Besides its check boxes' rule, ♪ is off while there is no name to play.
TEST_F(PreferencesDialogTest, PlayButtonsAreDisabledWhileTheNameIsEmpty) {
    using Sound = std::pair<FileNameEdit* Dialog::*, QPushButton* Dialog::*>;
    const Sound status{&Dialog::InformationNotePath, &Dialog::InformationNotePlay};
    const Sound chime{&Dialog::TimeSignalPath, &Dialog::TimeSignalPlay};
    const Sound alarm{&Dialog::StandardAlarmPath, &Dialog::StandardAlarmPlay};
    struct Case {
        const char* name;
        std::string settings;
        Sound sound;
        bool enabledAtOpen;
    };
    for (const Case& c : std::vector<Case>{{"status, no name", "[InformationNote]\nPlay=1\n", status, false},
                                           {"status, a name", "[InformationNote]\nPlay=1\nPath=/n.wav\n", status, true},
                                           {"chime, no name", "", chime, false},
                                           {"chime, a name", "[TimeSignal]\nPath=/c.wav\n", chime, true},
                                           {"alarm, no name", "", alarm, false},
                                           {"alarm, a name", "[Alarm]\nPath=/a.wav\n", alarm, true}}) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(file);
        const auto d = Open(c.settings);
        FileNameEdit* edit = (*d).*c.sound.first;
        QPushButton* play = (*d).*c.sound.second;
        EXPECT_TRUE(edit->isEnabled());
        EXPECT_EQ(play->isEnabled(), c.enabledAtOpen);
        edit->SetFileName("/sounds/chosen.wav");
        EXPECT_TRUE(play->isEnabled());
        edit->SetFileName("");
        EXPECT_FALSE(play->isEnabled());
    }
}

TEST_F(PreferencesDialogTest, ANumberTypedOutOfRangeIsNeverSaved) {
    const auto dialog = Open();
    dialog->TimeSize->setFocus();
    dialog->TimeSize->selectAll();
    for (const char digit : std::string("500")) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + (digit - '0'), Qt::NoModifier, QString(QChar(digit)));
        QApplication::sendEvent(dialog->TimeSize, &press);
    }
    ASSERT_NE(dialog->TimeSize->text(), "18") << "the keys reached the box";
    dialog->OKBtn->click();
    IniStore saved(file);
    saved.Section = "Font";
    const int size = saved.ReadNumber("TimeSize", 0);
    EXPECT_GE(size, 6);
    EXPECT_LE(size, 80);
}

TEST_F(PreferencesDialogTest, AColourOutsideTheListGoesIntoTheCustomEntry) {
    const auto dialog = Open("[Font]\nDateColor=$00123456\nTimeColor=CLRED\n");
    EXPECT_EQ(dialog->DateColor->currentIndex(), ColorComboBox::CustomIndex);
    EXPECT_EQ(Text(dialog->DateColor), "カスタム...");
    EXPECT_EQ(dialog->DateColor->Selected(), 0x00123456u);
    EXPECT_EQ(Text(dialog->TimeColor), "赤");

    // Choosing the custom entry asks for the colour; cancelling goes back.
    chosenColor.reset();
    dialog->TimeColor->setCurrentIndex(ColorComboBox::CustomIndex);
    emit dialog->TimeColor->activated(ColorComboBox::CustomIndex);
    EXPECT_EQ(Text(dialog->TimeColor), "赤");
    chosenColor = 0x00ABCDEF;
    dialog->TimeColor->setCurrentIndex(ColorComboBox::CustomIndex);
    emit dialog->TimeColor->activated(ColorComboBox::CustomIndex);
    EXPECT_EQ(dialog->TimeColor->Selected(), 0x00ABCDEFu);
}

TEST(SoundFileFilter, OffersEverySoundThenEachTypeThenEveryFile) {
    const std::string all = "すべてのファイル (*)|*";
    struct Case {
        const char* name;
        std::vector<platform::SoundFileType> types;
        std::string filter;
    };
    for (const Case& c : std::vector<Case>{
             {"none", {}, all},
             {"one", {{"WAV (Microsoft)", {"wav"}}},
              "すべてのサウンド (*.wav)|*.wav|WAV (Microsoft) (*.wav)|*.wav|" + all},
             {"several extensions, and a type under a known one",
              {{"WAV (Microsoft)", {"wav"}},
               {"OGG (OGG Container format)", {"oga", "ogg"}},
               {"WAV (NIST Sphere)", {"wav"}}},
              "すべてのサウンド (*.wav;*.oga;*.ogg)|*.wav;*.oga;*.ogg|WAV (Microsoft) (*.wav)|*.wav|"
              "OGG (OGG Container format) (*.oga;*.ogg)|*.oga;*.ogg|" + all}}) {
        EXPECT_EQ(SoundFileFilter(c.types), c.filter) << c.name;
    }
}

// The file dialog offers what libsndfile reads here, not WAV alone.
TEST_F(PreferencesDialogTest, SoundEditsOfferEveryReadableSound) {
    const auto d = Open();
    for (FileNameEdit* edit : {d->InformationNotePath, d->TimeSignalPath, d->StandardAlarmPath}) {
        EXPECT_EQ(edit->Button()->Filter(), SoundFileFilter(platform::ReadableSoundFileTypes()));
        const QStringList filters = QtNameFilter(edit->Button()->Filter()).split(QStringLiteral(";;"));
        for (const char* pattern : {"*.wav", "*.flac", "*.ogg"})
            EXPECT_TRUE(filters.first().contains(QString::fromUtf8(pattern))) << filters.first().toStdString();
        EXPECT_EQ(filters.last(), QStringLiteral("すべてのファイル (*)"));
    }
    EXPECT_EQ(d->BGImage->Button()->Filter(), "ビットマップ (*.bmp)|*.bmp");
}

// Where timesyncd or chrony keeps the clock, the page says so; what it
// offers stays as it is. No answer (no system bus, no timedated) says nothing.
TEST_F(PreferencesDialogTest, TimeSetPageSaysWhenTheSystemKeepsTheClock) {
    struct Case {
        const char* name;
        std::optional<bool> answer;
        bool shown;
    };
    for (const Case& c : std::vector<Case>{{"no answer", std::nullopt, false},
                                           {"not kept", false, false},
                                           {"kept", true, true}}) {
        SCOPED_TRACE(c.name);
        syncAnswer = nullptr;
        const auto d = Open("[General]\nAutoNTP=1\n");
        ASSERT_TRUE(syncAnswer) << "asked once the dialog was made";
        EXPECT_TRUE(d->SystemSyncNote->isHidden()) << "before the answer";
        if (c.answer) syncAnswer(*c.answer);
        EXPECT_EQ(d->SystemSyncNote->isHidden(), !c.shown);
        EXPECT_EQ(Text(d->SystemSyncNote), "システムの時刻同期が有効です");
        EXPECT_TRUE(d->Timeset->isChecked());
        EXPECT_TRUE(d->TimesetInterval->isEnabled());
        EXPECT_TRUE(d->TimesetNow->isEnabled());
    }
}

TEST(SystemTimeSync, EitherPropertyMeansTheSystemKeepsTheClock) {
    struct Case {
        QVariantMap properties;
        bool active;
    };
    const QString ntp = QStringLiteral("NTP");
    const QString synchronized = QStringLiteral("NTPSynchronized");
    for (const Case& c : std::vector<Case>{{{}, false},
                                           {{{ntp, false}, {synchronized, false}}, false},
                                           {{{ntp, true}, {synchronized, false}}, true},
                                           {{{ntp, false}, {synchronized, true}}, true},
                                           {{{ntp, true}, {synchronized, true}}, true},
                                           {{{QStringLiteral("Timezone"), QStringLiteral("Asia/Tokyo")}}, false}}) {
        EXPECT_EQ(SystemTimeSyncActive(c.properties), c.active)
            << QStringList(c.properties.keys()).join(' ').toStdString();
    }
}

// Without a system bus the question goes nowhere, quietly.
TEST(SystemTimeSync, WithoutASystemBusNothingIsAnswered) {
    testing::ScopedEnvironment environment;
    environment.Set("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/kairos-test/system_bus_socket");
    QObject context;
    bool answered = false;
    QuerySystemTimeSync(&context, [&answered](bool) { answered = true; });
    for (int i = 0; i < 10; ++i) QApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_FALSE(answered);
}

// The default colours' names show whole in the closed pickers, every name
// in their lists.
TEST_F(PreferencesDialogTest, ColourNamesAreShownWhole) {
    const auto d = Open();
    d->show();
    QApplication::processEvents();
    for (ColorComboBox* picker : {d->TimeColor, d->DateColor, d->BackColor}) {
        for (const char* name : {"ウィンドウのテキスト", "ボタンの表面"}) {
            const int index = picker->findText(QString::fromUtf8(name));
            ASSERT_GE(index, 0) << name;
            EXPECT_GE(picker->width(), picker->WidthToShow(index)) << name;
        }
        picker->showPopup();
        EXPECT_GE(picker->view()->viewport()->width(), picker->view()->sizeHintForColumn(0));
        picker->hidePopup();
    }
}

TEST(ColorComboBox, ListsTheNamedColoursUnderTheirDisplayNames) {
    const ColorComboBox picker;
    EXPECT_EQ(picker.count(), 51) << "the custom entry and the table without clNone and clDefault";
    EXPECT_EQ(picker.itemText(1).toStdString(), "黒");
    EXPECT_EQ(picker.itemText(17).toStdString(), "緑") << "clMoneyGreen";
    EXPECT_EQ(ColorDisplayName("clGradientInactiveCaption"), "Gradient Inactive Caption");
    EXPECT_EQ(ColorDisplayName("clHotLight"), "Hot Light");
    EXPECT_EQ(ColorDisplayName("cl3DDkShadow"), "3 次元の濃い影");
}

// Nothing the dialog could not read is lost by an OK: an unreadable colour,
// a number beyond what its box can show, a template longer than the clock
// takes. Every other control shows the file's own value.
TEST_F(PreferencesDialogTest, OkWritesNothingItCouldNotReadUnlessItWasChanged) {
    const std::string longTemplate(5000, 'y');
    const std::string content =
        "[General]\nDateFormat=" + longTemplate + "\nTimeFormat=hh:nn\nTransparency=100\nBackColor=red\n"
        "BGImage=/a.bmp\nAutoNTP=1\nAutoNTPInterval=5000\n[Font]\nFontName=" + InstalledFace(QFontDatabase::families().value(0)) +
        "\nDateSize=30\nTimeSize=abc\nDateShadow=1\nDateColor=clNavy\n[InformationNote]\nPlay=1\nPath=/b.wav\n"
        "[TimeSignal]\nPlayJustTime=1\nTimesLoop=1\nPath=/c.wav\n[Alarm]\nAlarmToBeep=1\nPath=/d.wav\n";
    const testing::BoxAnswerer answerer("OK");
    const auto dialog = Open(content);
    ASSERT_TRUE(answerer.Seen().has_value());
    EXPECT_TRUE(answerer.Seen()->text.endsWith("[General] BackColor: 'red' は整数ではありません"))
        << answerer.Seen()->text.toStdString();
    EXPECT_EQ(dialog->Transparency->value(), 100);
    EXPECT_EQ(dialog->BGImage->FileName(), "/a.bmp");
    EXPECT_EQ(dialog->DateSize->value(), 30);
    EXPECT_TRUE(dialog->DateShadow->isChecked());
    EXPECT_TRUE(dialog->TimeSignalJustTime->isChecked());
    EXPECT_EQ(dialog->StandardAlarmPath->FileName(), "/d.wav");

    dialog->OKBtn->click();
    const IniStore before("before.ini", IniLoading::Empty);
    IniStore expected = before;
    expected.SetFileContent(content);
    const IniStore saved(file);
    for (const std::string& section : expected.ReadSections())
        for (const std::string& line : expected.ReadSectionValues(section)) {
            const std::string key = line.substr(0, line.find('='));
            EXPECT_EQ(saved.ReadString(section, key, "?"), expected.ReadString(section, key, "!")) << section << " " << key;
        }

    // A value the user does change is written.
    const testing::BoxAnswerer stillRed("OK");
    const auto again = Open();
    again->BackColor->SetSelected(0x000000FF);
    again->OKBtn->click();
    EXPECT_EQ(IniStore(file).ReadString("General", "BackColor", ""), "clRed");
}

TEST_F(PreferencesDialogTest, SetTimeNowReportsTheOutcomeOfTheTypedServer) {
    for (const bool succeeds : {true, false}) {
        syncSucceeds = succeeds;
        syncHosts.clear();
        const auto dialog = Open();
        dialog->NTPServer->setEditText("time.example.test");
        const testing::BoxAnswerer answerer("OK");
        dialog->TimesetNow->click();
        EXPECT_FALSE(dialog->TimesetNow->isEnabled()) << "one run at a time";
        for (int i = 0; i < 1000 && !answerer.Seen(); ++i) QApplication::processEvents(QEventLoop::AllEvents, 5);
        EXPECT_TRUE(dialog->TimesetNow->isEnabled());
        EXPECT_EQ(syncHosts, std::vector<std::string>{"time.example.test"});
        ASSERT_TRUE(answerer.Seen().has_value());
        EXPECT_EQ(answerer.Seen()->text.toStdString(),
                  succeeds ? "時刻あわせに成功しました" : "時刻あわせに失敗しました\n応答がありません");
        EXPECT_EQ(answerer.Seen()->icon, QMessageBox::Information);
    }
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(PreferencesDialogTest, PlayButtonsPlayTheirEditsUnsavedName) {
    const auto d = Open();
    const std::vector<std::pair<FileNameEdit*, QPushButton*>> pairs = {
        {d->InformationNotePath, d->InformationNotePlay},
        {d->TimeSignalPath, d->TimeSignalPlay},
        {d->StandardAlarmPath, d->StandardAlarmPlay}};
    for (const auto& [edit, play] : pairs) {
        const std::string name = "/sounds/" + std::to_string(media.events.size()) + ".wav";
        edit->SetFileName(name);
        play->setEnabled(true);
        play->click();
        ASSERT_FALSE(media.events.empty());
        EXPECT_EQ(media.events.back().what, "file");
        EXPECT_EQ(media.events.back().name, name);
    }
}

TEST_F(PreferencesDialogTest, HintBarShowsTheLongHintOfTheControlUnderTheMouse) {
    const auto d = Open();
    const auto enter = [](QWidget* widget) {
        QEvent event(QEvent::Enter);
        QApplication::sendEvent(widget, &event);
    };
    enter(d->DateSize->findChild<QLineEdit*>());
    EXPECT_EQ(Text(d->HelpLabel),
              "日付表示の文字サイズをポイント単位で指定します。\n6～80の間で指定してください。\n"
              "時計のサイズはこれによって自動的に決定されます。");
    enter(d->OKBtn);
    EXPECT_EQ(Text(d->HelpLabel), "設定を保存して閉じます");
    enter(d->TimeSignalPath->Button());
    EXPECT_EQ(d->HelpLabel->text(), LongHint(HintOf(d->TimeSignals)).replace('\r', '\n'));
    enter(d->StandardAlarmPath->Button());
    EXPECT_EQ(Text(d->HelpLabel), "ファイルを参照します");
    enter(d->BGImage->Button());
    EXPECT_EQ(Text(d->HelpLabel), "");

    enter(d->OKBtn);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(d.get(), &leave);
    EXPECT_EQ(Text(d->HelpLabel), "");
}

}  // namespace
}  // namespace kairos
