#include "fleet/table_view.h"

#include <QHeaderView>
#include <QTableView>

namespace fleet {

QTableView *makeView(QAbstractItemModel *model, const char *name, QWidget *parent) {
    auto *view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setWordWrap(false);
    view->setTabKeyNavigation(false); // Tab leaves the table; the arrows move in it
    return view;
}

} // namespace fleet
