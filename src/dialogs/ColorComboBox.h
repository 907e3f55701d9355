#pragma once
// A drop-down list of colours, each shown as a swatch with its name. The
// first entry, "カスタム...", opens a colour chooser and then holds the chosen
// colour; after it come the named colours of the settings file.

#include <QComboBox>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ColorNames.h"

namespace kairos {

// The name a colour of ColorNameTable is listed under: its Japanese name,
// else the name without "cl" and with a blank before each further capital.
std::string ColorDisplayName(std::string_view colorName);

class ColorComboBox final : public QComboBox {
    Q_OBJECT
public:
    static constexpr int CustomIndex = 0;

    // Asks the user for a colour, starting at initial; empty when cancelled.
    using ColorChooser = std::function<std::optional<ColorValue>(QWidget* parent, ColorValue initial)>;

    explicit ColorComboBox(QWidget* parent = nullptr);

    ColorValue Selected() const;
    // A colour that is not listed goes into the custom entry, which is then selected.
    void SetSelected(ColorValue color);

    // The chooser every picker uses; tests put their own in. An empty one
    // restores the system's colour dialog.
    static void SetColorChooser(ColorChooser chooser);

    // The width of a closed box that shows this entry's name whole.
    int WidthToShow(int index) const;

    // The list opens at least as wide as its longest name needs.
    void showPopup() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void AddEntry(const QString& name, ColorValue color);
    void SetEntryColor(int index, ColorValue color);
    void RepaintSwatches();
    void EntryActivated(int index);

    int lastIndex_ = -1;
};

}  // namespace kairos
