#include "ui/diagnostics/csv.h"

#include <QAbstractItemModel>
#include <QStringList>

namespace diagnostics {

QString modelToCsv(const QAbstractItemModel &model) {
    QString out;
    QStringList fields;
    for (int c = 0; c < model.columnCount(); ++c)
        fields.append(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    out += csvLine(fields);
    for (int r = 0; r < model.rowCount(); ++r) {
        fields.clear();
        for (int c = 0; c < model.columnCount(); ++c)
            fields.append(model.data(model.index(r, c), Qt::DisplayRole).toString());
        out += csvLine(fields);
    }
    return out;
}

} // namespace diagnostics
