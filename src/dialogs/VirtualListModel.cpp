#include "dialogs/VirtualListModel.h"

#include <QSize>
#include <QString>

#include <utility>

namespace kairos {

VirtualListModel::VirtualListModel(LineText lineText, int lineHeight, QObject* parent)
    : QAbstractListModel(parent), lineText_(std::move(lineText)), lineHeight_(lineHeight) {}

int VirtualListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count_; }

QVariant VirtualListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count_) return {};
    switch (role) {
        case Qt::DisplayRole: return QString::fromStdString(lineText_(index.row()));
        // The view stretches a line across its width; only the height counts.
        case Qt::SizeHintRole: return QSize(0, lineHeight_);
        default: return {};
    }
}

void VirtualListModel::SetCount(int count) {
    beginResetModel();
    count_ = count;
    endResetModel();
}

void VirtualListModel::Redraw() {
    if (count_ > 0) emit dataChanged(index(0), index(count_ - 1), {Qt::DisplayRole});
}

}  // namespace kairos
