#include "ui/diagnostics/event_model.h"

#include "ui/diagnostics/csv.h"
#include "ui/diagnostics/texts.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace diagnostics {

namespace {

bool isShownAs(const events::ShownKey &k, const events::Event &e) {
    return k.category == e.category && (k.name.isEmpty() || k.name == e.name) &&
           (k.value.isEmpty() || k.value == e.value);
}

} // namespace

EventModel::EventModel(const QString &databasePath, QObject *parent, Reads r)
    : QAbstractTableModel(parent), path(databasePath),
      connection(QStringLiteral("diagnostics-events-%1").arg(quintptr(this), 0, 16)), reads(r) {
    if (reads == Reads::Here)
        return;
    thread = new QThread(this);
    context = new QObject;
    context->moveToThread(thread);
    // The reader's connection belongs to its thread: closed there, as it ends.
    connect(
        thread, &QThread::finished, context, [this] { reader.reset(); }, Qt::DirectConnection);
#ifdef Q_OS_LINUX
    // Where Qt's thread priorities do nothing (Linux), a nicer thread: on a busy machine the
    // window's thread gets three times its share of the processor. (Nicer still, a search
    // would starve behind other programs: 10 made it 25 s instead of 2 on a full machine.)
    connect(
        thread, &QThread::started, context,
        [] { ::setpriority(PRIO_PROCESS, pid_t(::syscall(SYS_gettid)), 5); }, Qt::DirectConnection);
#endif
}

EventModel::~EventModel() {
    ++generation;
    stopExport = true;
    if (exporter) {
        exporter->wait();
        delete exporter;
    }
    if (thread) {
        thread->quit();
        thread->wait();
        delete context;
    }
    reader.reset();
}

void EventModel::run(std::function<void(EventReader &)> job) {
    const auto withReader = [this, job = std::move(job)] {
        if (!reader)
            reader = std::make_unique<EventReader>(path, connection);
        job(*reader);
    };
    if (reads == Reads::Here)
        return withReader();
    // Below the GUI thread where the system heeds it (Windows, macOS): the window goes first.
    if (!thread->isRunning())
        thread->start(QThread::LowPriority);
    QMetaObject::invokeMethod(context, withReader, Qt::QueuedConnection);
}

void EventModel::post(std::function<void()> done) {
    if (reads == Reads::Here)
        done();
    else
        QMetaObject::invokeMethod(this, std::move(done), Qt::QueuedConnection);
}

void EventModel::setReading(bool on) {
    if (reading == on)
        return;
    reading = on;
    emit readingChanged(on);
}

void EventModel::ask(int want, bool fresh) {
    setReading(true);
    const quint64 asked = generation;
    run([this, asked, want, fresh, wanted = filter, from = since,
         keys = shownKeys](EventReader &r) {
        QString error;
        const auto stale = [this, asked] { return generation != asked; };
        // Each batch is shown as it is found; the last goes with the end of the read, so that
        // the view, seeing its rows, finds the model ready to be asked for more.
        std::vector<EventRow> last;
        EventReader::Outcome outcome = EventReader::Outcome::Failed;
        if (!stale() && (!fresh || r.start(wanted, from, keys, &error)))
            outcome = r.read(
                want,
                [&](std::vector<EventRow> &&page) {
                    if (!last.empty())
                        post([this, asked, page = std::move(last)] { append(asked, page); });
                    last = std::move(page);
                },
                stale, &error);
        post([this, asked, fresh, outcome, error, page = std::move(last), place = r.top()] {
            if (generation != asked)
                return;
            atEnd = outcome != EventReader::Outcome::More;
            lastError = error;
            setReading(false);
            append(asked, page);
            if (fresh) {
                top = place;
                emit selected(error);
            }
        });
    });
}

void EventModel::append(quint64 asked, const std::vector<EventRow> &page) {
    if (generation != asked || page.empty())
        return;
    beginInsertRows(QModelIndex(), int(rows.size()), int(rows.size() + page.size()) - 1);
    rows.insert(rows.end(), page.begin(), page.end());
    endInsertRows();
}

bool EventModel::select(const EventFilter &wanted, qint64 now, QString *error) {
    ++generation;
    filter = wanted;
    since = filter.withinMs > 0 ? now - filter.withinMs : 0;
    shownKeys = events::keysShownAs(filter.text);
    beginResetModel();
    rows.clear();
    atEnd = true;
    top = EventPlace();
    endResetModel();
    lastError.clear();
    ask(pageRows, true);
    if (error)
        *error = lastError;
    return lastError.isEmpty();
}

void EventModel::release() {
    ++generation;
    beginResetModel();
    rows.clear();
    rows.shrink_to_fit();
    atEnd = true;
    endResetModel();
    setReading(false);
    run([](EventReader &r) { r.close(); });
}

void EventModel::fetchAll() {
    while (canFetchMore())
        fetchMore();
}

void EventModel::exportCsv(const QString &file) {
    if (exporter) {
        emit exported(file, Texts::tr("另一个导出还在进行"));
        return;
    }
    if (const QString refused = exportRefusal(file, QFileInfo(path).path()); !refused.isEmpty()) {
        emit exported(file, refused);
        return;
    }
    std::vector<EventRow> taken;
    for (const EventRow &row : rows)
        if (row.id < 0)
            taken.push_back(row);
    stopExport = false;
    const auto job = [this, file, taken, wanted = filter, from = since, keys = shownKeys,
                      place = top] {
        EventReader source(path, connection + QStringLiteral("-export"));
        QString error;
        if (source.start(wanted, from, keys, &error, place))
            error = writeEventsCsv(
                file, taken, source, [this] { return stopExport.load(); },
                [this, said = QElapsedTimer()](qint64 rows) mutable {
                    // A few times a second.
                    if (reads == Reads::Here || (said.isValid() && said.elapsed() < 250))
                        return;
                    said.start();
                    QMetaObject::invokeMethod(
                        this, [this, rows] { emit exportProgress(rows); }, Qt::QueuedConnection);
                });
        return error;
    };
    if (reads == Reads::Here) {
        emit exported(file, job());
        return;
    }
    exporter = QThread::create([this, file, job] {
        const QString error = job();
        QMetaObject::invokeMethod(
            this,
            [this, file, error] {
                exporter->wait();
                delete exporter;
                exporter = nullptr;
                emit exported(file, error);
            },
            Qt::QueuedConnection);
    });
    exporter->start();
}

void EventModel::cancelExport() {
    stopExport = true;
}

int EventModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows.size());
}

int EventModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

bool EventModel::canFetchMore(const QModelIndex &parent) const {
    return !parent.isValid() && !atEnd && !reading;
}

void EventModel::fetchMore(const QModelIndex &parent) {
    if (canFetchMore(parent))
        ask(pageRows, false);
}

QString EventModel::timeText(qint64 at) {
    return eventTimeText(at);
}

QVariant EventModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= rows.size() ||
        (role != Qt::DisplayRole && role != Qt::EditRole && role != StoredRole))
        return QVariant();
    const EventRow &row = rows[size_t(index.row())];
    if (index.column() == At)
        return role == Qt::DisplayRole ? QVariant(timeText(row.at)) : QVariant(row.at);
    if (role == StoredRole || index.column() == Detail)
        return row.cells[index.column() - 1];
    return shown(row, index.column());
}

QString EventModel::shown(const EventRow &row, int column) const {
    return shownEventCell(row, column - 1);
}

bool EventModel::matches(const events::Event &e) const {
    if ((!filter.category.isEmpty() && e.category != filter.category) || e.at < since)
        return false;
    if (filter.text.isEmpty())
        return true;
    for (const QString &stored : {e.name, e.value, e.detail})
        if (stored.contains(filter.text, Qt::CaseInsensitive))
            return true;
    return std::any_of(shownKeys.cbegin(), shownKeys.cend(),
                       [&](const events::ShownKey &k) { return isShownAs(k, e); });
}

int EventModel::held(const events::Event &e) const {
    // Rows of the same time sit together at the top.
    int count = 0;
    for (const EventRow &row : rows) {
        if (row.at < e.at)
            break;
        count += row.at == e.at && row.cells[0].toString() == e.category &&
                 row.cells[1].toString() == e.name && row.cells[2].toString() == e.value &&
                 row.cells[3].toString() == e.detail;
    }
    return count;
}

int EventModel::addNewest(const std::vector<events::Event> &events, bool mayHold) {
    std::vector<EventRow> added; // newest first
    for (size_t i = 0; i < events.size(); ++i) {
        const events::Event &e = events[i];
        if (!matches(e))
            continue;
        if (mayHold) {
            // The same row may come twice within a millisecond (a flag that flaps in one
            // burst): the n-th of equal rows is there when the model holds n of them.
            int before = 0;
            for (size_t k = 0; k < i; ++k)
                before += events[k].at == e.at && events[k].category == e.category &&
                          events[k].name == e.name && events[k].value == e.value &&
                          events[k].detail == e.detail;
            if (before < held(e))
                continue;
        }
        added.insert(added.begin(), EventRow{e.at, -1, {e.category, e.name, e.value, e.detail}});
    }
    if (added.empty())
        return 0;
    beginInsertRows(QModelIndex(), 0, int(added.size()) - 1);
    rows.insert(rows.begin(), std::make_move_iterator(added.begin()),
                std::make_move_iterator(added.end()));
    endInsertRows();
    return int(added.size());
}

void EventModel::retranslate() {
    headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (!rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

QString EventModel::csvText() const {
    QString out = eventsCsvHeader();
    for (const EventRow &row : rows)
        out += eventCsvLine(row);
    return out;
}

QVariant EventModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case At:
        return Texts::tr("时间");
    case Category:
        return Texts::tr("类别");
    case Name:
        return Texts::tr("名称");
    case Value:
        return Texts::tr("值");
    case Detail:
        return Texts::tr("详情");
    default:
        return QVariant();
    }
}

} // namespace diagnostics

#include "moc_event_model.cpp"
