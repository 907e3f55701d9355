#pragma once
// The format tokens the preferences offer for insertion, each as the menu
// caption "token - description"; "-" stands for a separator.

#include <array>
#include <string_view>

namespace kairos {

inline constexpr std::string_view TemplateSeparator = "-";

inline constexpr std::array<std::string_view, 10> DateTemplateItems = {
    "yyyy - 西暦年(4桁)",
    "yy - 西暦年(2桁)",
    "ee - 和暦年(2桁)",
    "gg - 和暦年号",
    "mm - 月(2桁)",
    "dd - 日付(2桁)",
    "ddd - 曜日",
    TemplateSeparator,
    "ddddd - コントロールパネル短い日付",
    "dddddd - コントロールパネル長い日付",
};

inline constexpr std::array<std::string_view, 9> TimeTemplateItems = {
    "ampm - 午前午後(コントロールパネルの設定)",
    "AM/PM - 午前午後(常にAMまたはPM)",
    "hh - 時間(2桁)",
    "h - 時間(1桁)",
    "nn - 分(2桁)",
    "ss - 秒(2桁)",
    TemplateSeparator,
    "t - コントロールパネル短い時刻",
    "tt - コントロールパネル長い時刻",
};

// The tooltip menu's date submenu ends with this one.
inline constexpr std::string_view MoonAgeTemplateItem = "%md - 月齢";

// The tooltip menu's own items, after its two submenus and a separator.
inline constexpr std::array<std::string_view, 7> ToolTipTemplateItems = {
    "c - コントロールパネル日付時刻",
    "%tch - 起動からの時間(時間)",
    "%tcn - 起動からの時間(分)",
    "%tcs - 起動からの時間(秒)",
    "%tcm - 起動からの時間(ミリ秒)",
    "%tcms - 起動からの時間(TickCount)",
    "%n - 改行",
};

// Which combo box an item's token goes into: the item's "Tag".
enum TemplateTarget : int { DateTarget = 0, TimeTarget = 1, ToolTipTarget = 2 };

}  // namespace kairos
