// The preferences dialog's controls: the four pages, the hint bar, the
// buttons, the token menus and every control's hint.

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include "controls/BaseFont.h"
#include "controls/Hint.h"
#include "controls/FileNameEdit.h"
#include "dialogs/ColorComboBox.h"
#include "dialogs/FormatTemplates.h"
#include "dialogs/PreferencesDialog.h"
#include "platform/SoundFile.h"
#include "settings/SettingsFile.h"

namespace kairos {
namespace {

constexpr int kMargin = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kSmallButtonWidth = 23;
constexpr int kPreviewWidth = 265;
constexpr int kHintBarHeight = 78;
// From the bottom up: the buttons, the hint bar, and the pages take the rest.
constexpr int kButtonTop = PreferencesDialog::ClientHeight - kMargin - kButtonHeight;
constexpr int kHintBarTop = kButtonTop - kMargin - kHintBarHeight;

// Public servers that answer SNTP; the first is the default.
constexpr std::array<std::string_view, 7> kNTPServers = {
    "ntp.nict.jp",         "ntp.jst.mfeed.ad.jp", "jp.pool.ntp.org", "pool.ntp.org",
    "time.cloudflare.com", "time.google.com",     "ntp.ring.gr.jp",
};
static_assert(kNTPServers[0] == DefaultNTPAddress);

const char* const kColorHintTail =
    "\r一覧から選び、ない場合は\"カスタム\"から色を選択します。"
    "\r右の\"影\"チェックボックスをチェックすると、文字列に影をつけることができます。";
const char* const kFormatHintTail =
    "\rコンボボックスから選ぶ、または、書式指定文字を使って、表示される書式を選んでください。"
    "\r...のボタンを押すと、書式指定文字を挿入できます。";

QSpinBox* NewSpinBox(QWidget* parent, int minimum, int maximum, int step, int value, int width) {
    auto* spin = new QSpinBox(parent);
    spin->setRange(minimum, maximum);
    spin->setSingleStep(step);
    spin->setValue(value);
    spin->setFixedWidth(width);
    return spin;
}

QLabel* NewLabel(const char* caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setBuddy(buddy);
    return label;
}

QComboBox* NewTemplateCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

void SetHintOfAll(std::initializer_list<QWidget*> controls, const QString& hint) {
    for (QWidget* control : controls) SetHint(control, hint);
}

// "*.oga;*.ogg;*.opus"
std::string Patterns(const std::vector<std::string>& extensions) {
    std::string patterns;
    for (const std::string& extension : extensions) patterns += (patterns.empty() ? "*." : ";*.") + extension;
    return patterns;
}

}  // namespace

std::string SoundFileFilter(const std::vector<platform::SoundFileType>& types) {
    std::vector<std::string> every;
    std::string each;
    for (const platform::SoundFileType& type : types) {
        // Another kind under a known extension (the NIST WAV) adds no entry.
        const bool adds = std::any_of(type.extensions.begin(), type.extensions.end(), [&every](const std::string& e) {
            return std::find(every.begin(), every.end(), e) == every.end();
        });
        if (!adds) continue;
        for (const std::string& extension : type.extensions)
            if (std::find(every.begin(), every.end(), extension) == every.end()) every.push_back(extension);
        const std::string patterns = Patterns(type.extensions);
        each += type.name + " (" + patterns + ")|" + patterns + "|";
    }
    std::string filter;
    if (!every.empty()) filter = "すべてのサウンド (" + Patterns(every) + ")|" + Patterns(every) + "|";
    return filter + each + "すべてのファイル (*)|*";
}

void PreferencesDialog::CreatePages() {
    setWindowTitle(QStringLiteral("設定"));
    setFont(BaseFont());
    setFixedSize(ClientWidth, ClientHeight);

    PageControl = new QTabWidget(this);
    PageControl->setGeometry(kMargin, kMargin, ClientWidth - 2 * kMargin, kHintBarTop - 6 - kMargin);
    CreateDisplayPage();
    CreateFormatPage();
    CreateAlarmPage();
    CreateTimeSetPage();

    HelpLabel = new QLabel(this);
    HelpLabel->setGeometry(kMargin, kHintBarTop, ClientWidth - 2 * kMargin, kHintBarHeight);
    HelpLabel->setWordWrap(true);
    HelpLabel->setTextFormat(Qt::PlainText);
    HelpLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    HelpLabel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    HelpLabel->setMargin(3);

    CreateButtons();
    CreateTemplateMenus();
    SetHints();
}

void PreferencesDialog::CreateDisplayPage() {
    DisplaySetting = new QWidget;
    PageControl->addTab(DisplaySetting, QStringLiteral("表示"));
    QWidget* page = DisplaySetting;

    DisplayFont = new QComboBox(page);
    TimeSize = TimeSizeUpDown = NewSpinBox(page, 6, 80, 1, 9, 64);
    DateSize = DateSizeUpDown = NewSpinBox(page, 6, 80, 1, 9, 64);
    TimeColor = new ColorComboBox(page);
    TimeShadow = new QCheckBox(QStringLiteral("影(&D)"), page);
    DateColor = new ColorComboBox(page);
    DateShadow = new QCheckBox(QStringLiteral("影(&W)"), page);
    BackColor = new ColorComboBox(page);
    BGImage = new FileNameEdit(page);
    Transparency = TransparencyUpDown = NewSpinBox(page, 10, 255, 10, 255, 64);

    DisplayFontLabel = NewLabel("表示フォント(&D)", DisplayFont, page);
    TimeSizeLabel = NewLabel("時刻サイズ(&S)", TimeSize, page);
    DateSizeLabel = NewLabel("日付サイズ(&Z)", DateSize, page);
    TimeColorLabel = NewLabel("時刻表示色(&C)", TimeColor, page);
    DateColorLabel = NewLabel("日付表示色(&L)", DateColor, page);
    BackColorLabel = NewLabel("背景色(&B)", BackColor, page);
    BGImageLabel = NewLabel("背景画像(&I)", BGImage, page);
    TransparencyLabel = NewLabel("透明度(&T)", Transparency, page);

    // The pickers take the width they are given, their lists open as wide
    // as the longest name.
    for (ColorComboBox* picker : {TimeColor, DateColor, BackColor})
        picker->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(5);
    // Column 2 holds the shadow boxes; controls without one take it too.
    // A shadow box beside its colour would leave the colour too narrow for
    // names such as "ウィンドウのテキスト": it stands right of its line's size.
    const auto addRow = [grid](int row, QLabel* label, QWidget* control, int span, Qt::Alignment align = {}) {
        grid->addWidget(label, row, 0);
        grid->addWidget(control, row, 1, 1, span, align);
    };
    addRow(0, DisplayFontLabel, DisplayFont, 2);
    addRow(1, TimeSizeLabel, TimeSize, 1, Qt::AlignLeft);
    grid->addWidget(TimeShadow, 1, 2);
    addRow(2, DateSizeLabel, DateSize, 1, Qt::AlignLeft);
    grid->addWidget(DateShadow, 2, 2);
    addRow(3, TimeColorLabel, TimeColor, 2);
    addRow(4, DateColorLabel, DateColor, 2);
    addRow(5, BackColorLabel, BackColor, 2);
    // The browse button sits outside the edit, on its right.
    auto* pictureRow = new QHBoxLayout;
    pictureRow->addWidget(BGImage);
    pictureRow->addSpacing(FileNameEdit::ButtonWidth + 1);
    grid->addWidget(BGImageLabel, 6, 0);
    grid->addLayout(pictureRow, 6, 1, 1, 2);
    addRow(7, TransparencyLabel, Transparency, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(8, 1);
    // Tab follows the rows.
    setTabOrder(DisplayFont, TimeSize);
    setTabOrder(TimeSize, TimeShadow);
    setTabOrder(TimeShadow, DateSize);
    setTabOrder(DateSize, DateShadow);
    setTabOrder(DateShadow, TimeColor);
    setTabOrder(TimeColor, DateColor);
}

void PreferencesDialog::CreateFormatPage() {
    FormatSetting = new QWidget;
    PageControl->addTab(FormatSetting, QStringLiteral("書式"));

    DateFormat = CreateFormatGroup("日付(&D)", DateCombo, DateTemplatesButton, DatePreview);
    DateCombo->addItems({QStringLiteral("yyyy/mm/dd"), QStringLiteral("yyyy/mm/dd ddd"),
                         QStringLiteral("yyyy年mm月dd日"), QStringLiteral("yyyy年mm月dd日(ddd)")});
    TimeFormat = CreateFormatGroup("時刻(&T)", TimeCombo, TimeTemplatesButton, TimePreview);
    TimeCombo->addItems({QStringLiteral("hh:nn:ss"), QStringLiteral("h:nn:ss"), QStringLiteral("AM/PM h:nn:ss"),
                         QStringLiteral("AMPM h時nn分ss秒")});
    ToolTipFormat = CreateFormatGroup("ツールチップ(&T)", ToolTipCombo, ToolTipTemplatesButton, ToolTipPreview);
    ToolTipCombo->addItems({QStringLiteral("c"), QStringLiteral("dd日 am/pm h:mm:ss")});

    // Adding items selects the first; the templates come from the settings.
    for (QComboBox* combo : {DateCombo, TimeCombo, ToolTipCombo}) {
        combo->setCurrentIndex(-1);
        connect(combo, &QComboBox::editTextChanged, this, [this, combo] { ShowPreview(combo); });
    }
    for (QPushButton* templatesButton : {DateTemplatesButton, TimeTemplatesButton, ToolTipTemplatesButton})
        connect(templatesButton, &QPushButton::clicked, this,
                [this, templatesButton] { ShowTemplateMenu(templatesButton); });

    auto* column = new QVBoxLayout(FormatSetting);
    column->setContentsMargins(4, 2, 4, 1);
    column->setSpacing(2);
    for (QGroupBox* group : {DateFormat, TimeFormat, ToolTipFormat}) column->addWidget(group);
    column->addStretch(1);
}

QGroupBox* PreferencesDialog::CreateFormatGroup(const char* caption, QComboBox*& combo, QPushButton*& templatesButton,
                                                QLabel*& preview) {
    auto* group = new QGroupBox(QString::fromUtf8(caption), FormatSetting);
    combo = NewTemplateCombo(group);
    templatesButton = new QPushButton(QStringLiteral("..."), group);
    templatesButton->setFixedWidth(kSmallButtonWidth);
    // A click keeps the focus, and so the selection, in the combo box the
    // token replaces.
    templatesButton->setFocusPolicy(Qt::TabFocus);
    preview = new QLabel(group);
    preview->setWordWrap(false);
    preview->setTextFormat(Qt::PlainText);
    preview->setFixedSize(kPreviewWidth, 2 * preview->fontMetrics().lineSpacing());
    preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(5, 0, 5, 2);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    grid->addWidget(combo, 0, 0);
    grid->addWidget(templatesButton, 0, 1);
    grid->addWidget(preview, 1, 0, 1, 2);
    return group;
}

void PreferencesDialog::CreateAlarmPage() {
    AlarmSetting = new QWidget;
    PageControl->addTab(AlarmSetting, QStringLiteral("アラーム/時報"));

    InformationNote = new QGroupBox(QStringLiteral("ステータス通知"), AlarmSetting);
    InformationShowSound = new QCheckBox(QStringLiteral("音を鳴らす(&S)"), InformationNote);
    InformationShowBeep = new QCheckBox(QStringLiteral("ビープ音を鳴らす(&B)"), InformationNote);
    InformationNotePath = CreateSoundEdit(InformationNote);
    InformationNotePlay = CreatePlayButton(InformationNote);

    TimeSignals = new QGroupBox(QStringLiteral("時報"), AlarmSetting);
    TimeSignalJustTime = new QCheckBox(QStringLiteral("00分に鳴らす(&J)"), TimeSignals);
    TimeSignalHalfTime = new QCheckBox(QStringLiteral("30分に鳴らす(&H)"), TimeSignals);
    TimeSignalTimesLoop = new QCheckBox(QStringLiteral("00分には時間数鳴らす(&L)"), TimeSignals);
    TimeSignalPath = CreateSoundEdit(TimeSignals);
    TimeSignalPlay = CreatePlayButton(TimeSignals);

    StandardAlarm = new QGroupBox(QStringLiteral("アラーム"), AlarmSetting);
    AlarmToBeep = new QCheckBox(QStringLiteral("ビープ音を鳴らす(&P)"), StandardAlarm);
    AlarmNotification = new QCheckBox(QStringLiteral("デスクトップ通知でも知らせる(&N)"), StandardAlarm);
    StandardAlarmPath = CreateSoundEdit(StandardAlarm);
    StandardAlarmPlay = CreatePlayButton(StandardAlarm);

    const auto soundRow = [](FileNameEdit* edit, QPushButton* play) {
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        row->addWidget(edit);
        row->addSpacing(FileNameEdit::ButtonWidth + 3);
        row->addWidget(play);
        return row;
    };
    auto* information = new QGridLayout(InformationNote);
    information->addWidget(InformationShowSound, 0, 0);
    information->addWidget(InformationShowBeep, 0, 1);
    information->addLayout(soundRow(InformationNotePath, InformationNotePlay), 1, 0, 1, 2);
    auto* signal = new QGridLayout(TimeSignals);
    signal->addWidget(TimeSignalJustTime, 0, 0);
    signal->addWidget(TimeSignalHalfTime, 0, 1);
    signal->addWidget(TimeSignalTimesLoop, 1, 0, 1, 2);
    signal->addLayout(soundRow(TimeSignalPath, TimeSignalPlay), 2, 0, 1, 2);
    auto* alarm = new QGridLayout(StandardAlarm);
    alarm->addWidget(AlarmToBeep, 0, 0);
    alarm->addWidget(AlarmNotification, 0, 1);
    alarm->addLayout(soundRow(StandardAlarmPath, StandardAlarmPlay), 1, 0, 1, 2);

    auto* column = new QVBoxLayout(AlarmSetting);
    column->setContentsMargins(6, 2, 6, 2);
    column->setSpacing(2);
    for (QGroupBox* group : {InformationNote, TimeSignals, StandardAlarm}) {
        auto* grid = static_cast<QGridLayout*>(group->layout());
        grid->setContentsMargins(kMargin, 0, kMargin, 3);
        grid->setVerticalSpacing(1);
        column->addWidget(group);
    }
    column->addStretch(1);

    InformationShowBeep->setEnabled(false);
    InformationNotePath->setEnabled(false);
    InformationNotePlay->setEnabled(false);

    connect(InformationShowSound, &QCheckBox::toggled, this, [this] { FollowStatusSound(); });
    connect(InformationShowBeep, &QCheckBox::toggled, this, [this] { FollowStatusBeep(); });
    connect(TimeSignalJustTime, &QCheckBox::toggled, this, [this] { FollowHourChime(); });
    connect(TimeSignalHalfTime, &QCheckBox::toggled, this, [this] { FollowHalfHourChime(); });
    connect(AlarmToBeep, &QCheckBox::toggled, this, [this] { FollowAlarmBeep(); });
}

FileNameEdit* PreferencesDialog::CreateSoundEdit(QWidget* group) {
    // What the decoder reads does not change while the program runs.
    static const std::string filter = SoundFileFilter(platform::ReadableSoundFileTypes());
    auto* edit = new FileNameEdit(group);
    edit->Button()->SetFilter(filter);
    return edit;
}

QPushButton* PreferencesDialog::CreatePlayButton(QWidget* group) {
    auto* play = new QPushButton(QStringLiteral("♪"), group);
    play->setFixedWidth(kSmallButtonWidth);
    connect(play, &QPushButton::clicked, this, [this, play] { PlaySample(play); });
    // The group's sound edit is made first.
    if (const auto* edit = group->findChild<FileNameEdit*>(QString(), Qt::FindDirectChildrenOnly))
        connect(edit->Button(), &BrowseButton::FileNameChanged, this, [this, play] { FollowSoundName(play); });
    return play;
}

void PreferencesDialog::CreateTimeSetPage() {
    NTPTimeSetting = new QWidget;
    PageControl->addTab(NTPTimeSetting, QStringLiteral("時刻あわせ"));
    QWidget* page = NTPTimeSetting;

    NTPServer = new QComboBox(page);
    NTPServer->setEditable(true);
    NTPServer->setInsertPolicy(QComboBox::NoInsert);
    for (std::string_view host : kNTPServers) NTPServer->addItem(QString::fromUtf8(host.data(), static_cast<qsizetype>(host.size())));
    NTPServer->setCurrentIndex(-1);
    NTPServerLabel = NewLabel("NTPサーバ(&N)", NTPServer, page);
    Timeset = new QCheckBox(QStringLiteral("定期的に時刻を合わせる(&T)"), page);
    TimesetInterval = TimesetIntervalUpDown = NewSpinBox(page, 1, 1440, 1, 10, 72);
    TimesetInterval->setEnabled(false);
    TimesetIntervalLabel = new QLabel(QStringLiteral("分"), page);
    TimesetNow = new QPushButton(QStringLiteral("今すぐ時刻あわせ(&A)"), page);
    SystemSyncNote = new QLabel(QStringLiteral("システムの時刻同期が有効です"), page);
    SystemSyncNote->setWordWrap(true);
    SystemSyncNote->hide();

    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    column->setSpacing(5);
    column->addWidget(NTPServerLabel);
    column->addWidget(NTPServer);
    column->addSpacing(6);
    column->addWidget(Timeset);
    auto* interval = new QHBoxLayout;
    interval->setContentsMargins(20, 0, 0, 0);
    interval->addWidget(TimesetInterval);
    interval->addWidget(TimesetIntervalLabel);
    interval->addStretch(1);
    column->addLayout(interval);
    column->addSpacing(6);
    column->addWidget(TimesetNow, 0, Qt::AlignLeft);
    column->addSpacing(6);
    column->addWidget(SystemSyncNote);
    column->addStretch(1);

    connect(Timeset, &QCheckBox::toggled, this, [this] { FollowAutoSync(); });
    connect(TimesetNow, &QPushButton::clicked, this, [this] { SyncNow(); });
}

void PreferencesDialog::CreateButtons() {
    const int top = kButtonTop;
    const int helpLeft = ClientWidth - kMargin - kButtonWidth;
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(helpLeft - 2 * (kButtonWidth + 6), top, kButtonWidth, kButtonHeight);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("キャンセル"), this);
    CancelBtn->setGeometry(helpLeft - (kButtonWidth + 6), top, kButtonWidth, kButtonHeight);
    Help = new QPushButton(QStringLiteral("ヘルプ(&H)"), this);
    Help->setGeometry(helpLeft, top, kButtonWidth, kButtonHeight);

    connect(OKBtn, &QPushButton::clicked, this, [this] { SaveAndClose(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(Help, &QPushButton::clicked, this, [this] { ShowHelp(); });
}

void PreferencesDialog::CreateTemplateMenus() {
    DateTemplates = new QMenu(this);
    AddTemplateItems(DateTemplates, DateTemplateItems.data(), DateTemplateItems.size(), DateTarget);
    TimeTemplates = new QMenu(this);
    AddTemplateItems(TimeTemplates, TimeTemplateItems.data(), TimeTemplateItems.size(), TimeTarget);

    ToolTipTemplates = new QMenu(this);
    QMenu* times = ToolTipTemplates->addMenu(QStringLiteral("時刻(&T)"));
    AddTemplateItems(times, TimeTemplateItems.data(), TimeTemplateItems.size(), ToolTipTarget);
    QMenu* dates = ToolTipTemplates->addMenu(QStringLiteral("日付(&D)"));
    AddTemplateItems(dates, DateTemplateItems.data(), DateTemplateItems.size(), ToolTipTarget);
    AddTemplateItems(dates, &MoonAgeTemplateItem, 1, ToolTipTarget);
    ToolTipTemplates->addSeparator();
    AddTemplateItems(ToolTipTemplates, ToolTipTemplateItems.data(), ToolTipTemplateItems.size(), ToolTipTarget);
}

void PreferencesDialog::AddTemplateItems(QMenu* menu, const std::string_view* items, std::size_t count,
                                         int tag) {
    for (std::size_t i = 0; i < count; ++i) {
        if (items[i] == TemplateSeparator) {
            menu->addSeparator();
            continue;
        }
        QAction* item = menu->addAction(QString::fromUtf8(items[i].data(), static_cast<qsizetype>(items[i].size())));
        item->setProperty("Tag", tag);
        connect(item, &QAction::triggered, this, [this, item] { InsertToken(item); });
    }
}

void PreferencesDialog::SetHints() {
    SetHint(OKBtn, QStringLiteral("|設定を保存して閉じます"));
    SetHint(CancelBtn, QStringLiteral("|設定を保存せずに閉じます"));
    SetHint(Help, QStringLiteral("|現在開いているタブのヘルプを表示します"));

    SetHintOfAll({DisplayFont, DisplayFontLabel},
             QStringLiteral("|日付と時刻を表示するフォントを設定します\r表示される持っているフォントリストから選んでください。"));
    SetHintOfAll({DateSize, DateSizeLabel},
             QStringLiteral("|日付表示の文字サイズをポイント単位で指定します。\r\n6～80の間で指定してください。\r\n"
                            "時計のサイズはこれによって自動的に決定されます。"));
    SetHintOfAll({TimeSize, TimeSizeLabel},
             QStringLiteral("|時刻表示の文字サイズをポイント単位で指定します。\r6～80の間で指定してください。\r"
                            "時計のサイズはこれによって自動的に決定されます。"));
    SetHintOfAll({DateColor, DateShadow, DateColorLabel},
             QStringLiteral("|日付表示の色を決定します。") + QString::fromUtf8(kColorHintTail));
    SetHintOfAll({TimeColor, TimeShadow, TimeColorLabel},
             QStringLiteral("|時刻表示の色を決定します。") + QString::fromUtf8(kColorHintTail));
    SetHintOfAll({BackColor, BackColorLabel},
             QStringLiteral("|背景の色を決定します。\r一覧から選び、ない場合は\"カスタム\"から色を選択します。"));
    SetHintOfAll({Transparency, TransparencyLabel},
             QStringLiteral("|時計の透明度を指定します。\r透明度は、Windows2000およびWindowsXP以上のOSでのみ\r"
                            "使用可能なオプションです。\r10～255の範囲で指定してください。255が不透明、10がほぼ透明の状態です。"));
    SetHint(BGImage, QStringLiteral("|時計の背景に表示する画像を指定します。\r画像はタイル状に貼り付けられます。"));
    SetHint(BGImageLabel, QStringLiteral("|時計の背景に表示する画像を指定します。\r画像はタイル上に貼り付けられます。"));

    SetHint(DateFormat, QStringLiteral("|日付表示のフォーマット(書式)を設定します。") + QString::fromUtf8(kFormatHintTail));
    SetHint(TimeFormat, QStringLiteral("|時刻表示のフォーマット(書式)を設定します。") + QString::fromUtf8(kFormatHintTail));
    SetHint(ToolTipFormat, QStringLiteral("|ツールチップ(ヒント文字列)のフォーマット(書式)を設定します。") +
                               QString::fromUtf8(kFormatHintTail));

    SetHint(InformationNote,
            QStringLiteral("|日付表示部にほかの文字列が表示される際に、鳴らす音を指定します。\r\"音を鳴らす\"チェックボックスの"
                           "チェックをはずすと、音は再生されません。\rまた、\"ビープ音\"のチェックボックスにチェックすると、"
                           "WAVサウンドではなく、コンピュータのビープ音を鳴らします。"));
    SetHint(TimeSignals,
            QStringLiteral("|\"00分に鳴らす\"にチェックされていると00分に\r\"30分に鳴らす\"にチェックされていると30分に\r"
                           "指定された音を鳴らします。\rまた、\"00分には時間数鳴らす\"にチェックされていると、\r"
                           "時間回音を繰り返し再生します。"));
    SetHint(StandardAlarm, QStringLiteral("|アラームで使用する音を指定します。\rまた、ビープ音を鳴らす チェックボックスに"
                                          "チェックすると、\rアラーム時ビープ音を鳴らすようにします。"));
    SetHint(AlarmNotification,
            QStringLiteral("|アラームと見逃したアラームを、デスクトップの通知でも知らせます。\r"
                           "メッセージのある通知は、閉じるまで表示されたままになります。"));

    SetHintOfAll({NTPServer, NTPServerLabel},
             QStringLiteral("|時刻あわせに使用する、NTP(Network Time Protocol)サーバを選んでください。\rコンボボックスの中から"
                            "信用できるサーバを選ぶか、\r知っている信頼できるサーバがあれば、そのアドレスを入力してください。"));
    SetHintOfAll({Timeset, TimesetInterval, TimesetIntervalLabel, TimesetNow},
             QStringLiteral("|NTPサーバを使用して、定期的に時間を合わせるかどうかを指定します。\rチェックボックスにチェックすると、"
                            "指定した時間ごとに、時刻あわせが行われます。\rボタンを押すと、今すぐ時刻を合わせることができます。\r"
                            "間隔は、1～1440分(＝一日)の間で指定できます。"));
    SetHint(SystemSyncNote,
            QStringLiteral("|システムの時刻同期サービス(systemd-timesyncd、chronyなど)が時計を合わせています。\r"
                           "定期的な時刻あわせは必要ありません。"));
}

}  // namespace kairos
