#include "dialogs/ColorComboBox.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <array>
#include <utility>

#include "shell/Colors.h"

namespace kairos {
namespace {

struct JapaneseColorName {
    std::string_view name;
    std::string_view shown;
};

constexpr std::array<JapaneseColorName, 45> kJapaneseNames = {{
    {"clBlack", "黒"},
    {"clMaroon", "茶色"},
    {"clGreen", "緑"},
    {"clOlive", "オリーブ"},
    {"clNavy", "紺"},
    {"clPurple", "紫"},
    {"clTeal", "青緑"},
    {"clGray", "灰色"},
    {"clSilver", "銀色"},
    {"clRed", "赤"},
    {"clLime", "ライム"},
    {"clYellow", "黄色"},
    {"clBlue", "青"},
    {"clFuchsia", "赤紫"},
    {"clAqua", "水色"},
    {"clWhite", "白"},
    {"clMoneyGreen", "緑"},
    {"clSkyBlue", "空色"},
    {"clCream", "クリーム色"},
    {"clMedGray", "ミディアムグレー"},
    {"clActiveBorder", "アクティブボーダー"},
    {"clActiveCaption", "アクティブキャプション"},
    {"clAppWorkSpace", "アプリケーションワークスペース"},
    {"clBackground", "背景色"},
    {"clBtnFace", "ボタンの表面"},
    {"clBtnHighlight", "ボタンの強調表示"},
    {"clBtnShadow", "ボタンの影"},
    {"clBtnText", "ボタンの文字"},
    {"clCaptionText", "キャプションの文字"},
    {"clGrayText", "グレーテキスト"},
    {"clHighlight", "背景の強調表示"},
    {"clHighlightText", "テキストの強調表示"},
    {"clInactiveBorder", "インアクティブボーダー"},
    {"clInactiveCaption", "非アクティブキャプション"},
    {"clInactiveCaptionText", "非アクティブキャプションテキスト"},
    {"clInfoBk", "情報の背景"},
    {"clInfoText", "情報テキスト"},
    {"clMenu", "メニューの背景"},
    {"clMenuText", "メニューテキスト"},
    {"clScrollBar", "スクロールバー"},
    {"cl3DDkShadow", "3 次元の濃い影"},
    {"cl3DLight", "3 次元の薄い影"},
    {"clWindow", "ウィンドウの背景"},
    {"clWindowFrame", "ウィンドウのフレーム"},
    {"clWindowText", "ウィンドウのテキスト"},
}};

// Values that name no colour: they are never offered.
constexpr ColorValue kNone = 0x1FFFFFFF;
constexpr ColorValue kDefault = 0x20000000;

constexpr int kColorRole = Qt::UserRole;
constexpr QSize kSwatchSize(16, 12);

std::optional<ColorValue> SystemColorDialog(QWidget* parent, ColorValue initial) {
    const QColor chosen = QColorDialog::getColor(ResolveColor(initial, parent->palette()), parent);
    if (!chosen.isValid()) return std::nullopt;
    return ToColorValue(chosen);
}

ColorComboBox::ColorChooser& Chooser() {
    static ColorComboBox::ColorChooser chooser = SystemColorDialog;
    return chooser;
}

QIcon Swatch(ColorValue color, const QPalette& palette) {
    QPixmap pixmap(kSwatchSize);
    pixmap.fill(ResolveColor(color, palette));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

}  // namespace

std::string ColorDisplayName(std::string_view colorName) {
    for (const JapaneseColorName& entry : kJapaneseNames)
        if (entry.name == colorName) return std::string(entry.shown);
    std::string_view rest = colorName.substr(0, 2) == "cl" ? colorName.substr(2) : colorName;
    std::string shown;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (i > 0 && rest[i] >= 'A' && rest[i] <= 'Z') shown += ' ';
        shown += rest[i];
    }
    return shown;
}

ColorComboBox::ColorComboBox(QWidget* parent) : QComboBox(parent) {
    setIconSize(kSwatchSize);
    AddEntry(QStringLiteral("カスタム..."), 0);
    for (const ColorName& entry : ColorNameTable) {
        if (entry.value == kNone || entry.value == kDefault) continue;
        AddEntry(QString::fromStdString(ColorDisplayName(entry.name)), entry.value);
    }
    setMaxVisibleItems(16);
    SetSelected(0);
    connect(this, &QComboBox::activated, this, &ColorComboBox::EntryActivated);
}

ColorValue ColorComboBox::Selected() const { return itemData(currentIndex(), kColorRole).toUInt(); }

void ColorComboBox::SetSelected(ColorValue color) {
    for (int index = CustomIndex + 1; index < count(); ++index) {
        if (itemData(index, kColorRole).toUInt() == color) {
            setCurrentIndex(index);
            lastIndex_ = index;
            return;
        }
    }
    SetEntryColor(CustomIndex, color);
    setCurrentIndex(CustomIndex);
    lastIndex_ = CustomIndex;
}

void ColorComboBox::SetColorChooser(ColorChooser chooser) {
    Chooser() = chooser ? std::move(chooser) : ColorChooser(SystemColorDialog);
}

// As the style sizes a box for its contents: the swatch, a gap, the name.
int ColorComboBox::WidthToShow(int index) const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QSize contents(iconSize().width() + 4 + fontMetrics().horizontalAdvance(itemText(index)),
                         fontMetrics().height());
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, this).width();
}

void ColorComboBox::showPopup() {
    QAbstractItemView* list = view();
    const int scrollBar = count() > maxVisibleItems() ? list->verticalScrollBar()->sizeHint().width() : 0;
    list->setMinimumWidth(list->sizeHintForColumn(0) + scrollBar + 2 * list->frameWidth());
    QComboBox::showPopup();
}

void ColorComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    // System colours follow the desktop's palette.
    if (event->type() == QEvent::PaletteChange) RepaintSwatches();
}

void ColorComboBox::AddEntry(const QString& name, ColorValue color) {
    addItem(Swatch(color, palette()), name, QVariant::fromValue<uint>(color));
}

void ColorComboBox::SetEntryColor(int index, ColorValue color) {
    setItemData(index, QVariant::fromValue<uint>(color), kColorRole);
    setItemIcon(index, Swatch(color, palette()));
}

void ColorComboBox::RepaintSwatches() {
    for (int index = 0; index < count(); ++index)
        setItemIcon(index, Swatch(itemData(index, kColorRole).toUInt(), palette()));
}

// Choosing the custom entry asks for the colour; a cancelled choice goes
// back to the entry that was selected before.
void ColorComboBox::EntryActivated(int index) {
    if (index == CustomIndex) {
        const std::optional<ColorValue> chosen = Chooser()(this, itemData(CustomIndex, kColorRole).toUInt());
        if (chosen) {
            SetEntryColor(CustomIndex, *chosen);
        } else if (lastIndex_ >= 0) {
            setCurrentIndex(lastIndex_);
            return;
        }
    }
    lastIndex_ = index;
}

}  // namespace kairos
