#pragma once

class QAbstractItemModel;
class QTableView;
class QWidget;

namespace fleet {

// A table view as the fleet window shows its models: whole rows selected, nothing edited, no row
// header, one line a row. `name` is its object name.
QTableView *makeView(QAbstractItemModel *model, const char *name, QWidget *parent);

} // namespace fleet
