#pragma once
// The lines of a list view that stores no items: the model knows only how
// many lines there are and asks for a line's text when the view draws it.

#include <QAbstractListModel>

#include <functional>
#include <string>

namespace kairos {

class VirtualListModel final : public QAbstractListModel {
public:
    using LineText = std::function<std::string(int index)>;

    VirtualListModel(LineText lineText, int lineHeight, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int Count() const { return count_; }
    // A new line count resets the views: they forget their selection.
    void SetCount(int count);
    // The texts may have changed; the count has not.
    void Redraw();

private:
    LineText lineText_;
    int lineHeight_;
    int count_ = 0;
};

}  // namespace kairos
