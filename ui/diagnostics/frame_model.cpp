#include "ui/diagnostics/frame_model.h"

#include "ui/diagnostics/texts.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>

#include <algorithm>

namespace diagnostics {

using history::Direction;
using protocol::Verdict;

FrameModel::FrameModel(const history::Journal &j, QObject *parent)
    : QAbstractTableModel(parent), journal(j) {}

bool FrameModel::isFailure(const history::JournalEntry &e) {
    return e.direction == Direction::Received && e.verdict == Verdict::CheckFailed;
}

bool FrameModel::passes(const history::JournalEntry &e) const {
    if (failedOnly && !isFailure(e))
        return false;
    return code.isEmpty() || e.name == code;
}

int FrameModel::refresh() {
    if (paused)
        return 0;
    const quint64 total = journal.appended();
    if (total < seen) { // the journal was cleared
        seen = clearedAt = 0;
    }
    const quint64 fresh = std::min<quint64>(total - seen, quint64(journal.size()));
    seen = total;
    if (fresh == 0)
        return 0;

    std::vector<const history::JournalEntry *> added;
    for (int i = journal.size() - int(fresh); i < journal.size(); ++i) {
        const history::JournalEntry &e = journal.at(i);
        names.insert(e.name);
        if (passes(e))
            added.push_back(&e);
    }
    if (added.empty())
        return 0;

    // The view keeps no more rows than the journal does.
    const size_t limit = size_t(journal.capacity());
    if (added.size() > limit)
        added.erase(added.begin(), added.end() - ptrdiff_t(limit));
    const size_t overflow =
        rows.size() + added.size() > limit ? rows.size() + added.size() - limit : 0;
    if (overflow > 0) {
        beginRemoveRows(QModelIndex(), 0, int(overflow) - 1);
        rows.erase(rows.begin(), rows.begin() + ptrdiff_t(overflow));
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), int(rows.size()), int(rows.size() + added.size()) - 1);
    for (const history::JournalEntry *e : added)
        rows.push_back(*e);
    endInsertRows();
    return int(added.size());
}

void FrameModel::rebuild() {
    beginResetModel();
    rows.clear();
    const quint64 total = journal.appended();
    if (total < clearedAt)
        clearedAt = 0;
    const quint64 keep = std::min<quint64>(total - clearedAt, quint64(journal.size()));
    for (int i = journal.size() - int(keep); i < journal.size(); ++i) {
        const history::JournalEntry &e = journal.at(i);
        names.insert(e.name);
        if (passes(e))
            rows.push_back(e);
    }
    seen = total;
    endResetModel();
}

void FrameModel::setPaused(bool p) {
    paused = p;
    if (!paused)
        refresh();
}

void FrameModel::setCodeFilter(const QString &name) {
    if (name == code)
        return;
    code = name;
    rebuild();
}

void FrameModel::setFailedOnly(bool only) {
    if (only == failedOnly)
        return;
    failedOnly = only;
    rebuild();
}

void FrameModel::clearView() {
    clearedAt = journal.appended();
    rebuild();
}

QStringList FrameModel::codeNames() const {
    QStringList list(names.begin(), names.end());
    list.sort();
    return list;
}

int FrameModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows.size());
}

int FrameModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString FrameModel::hexText(const QByteArray &bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

namespace {

QString directionText(Direction d) {
    switch (d) {
    case Direction::Received:
        return Texts::tr("接收");
    case Direction::Sent:
        return Texts::tr("发送");
    case Direction::Skipped:
        return Texts::tr("跳过");
    }
    return QString();
}

QString verdictText(const history::JournalEntry &e) {
    if (e.direction != Direction::Received)
        return QString();
    switch (e.verdict) {
    case Verdict::CheckOk:
        return Texts::tr("校验正确");
    case Verdict::CheckFailed:
        return Texts::tr("校验失败");
    case Verdict::NotChecked:
        return Texts::tr("无校验");
    case Verdict::UnknownCode:
        return Texts::tr("未知代码");
    }
    return QString();
}

} // namespace

QVariant FrameModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= int(rows.size()))
        return QVariant();
    const history::JournalEntry &e = rows[size_t(index.row())];
    if (role == Qt::BackgroundRole) {
        if (isFailure(e))
            return QBrush(QColor(255, 170, 170));
        if (e.direction == Direction::Received && e.verdict == Verdict::UnknownCode)
            return QBrush(QColor(255, 230, 160));
        return QVariant();
    }
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (index.column()) {
    case TimeColumn:
        return QDateTime::fromMSecsSinceEpoch(e.at).toString(QStringLiteral("HH:mm:ss.zzz"));
    case DirectionColumn:
        return directionText(e.direction);
    case CodeColumn:
        return e.name;
    case HexColumn:
        return hexText(e.bytes);
    case VerdictColumn:
        return verdictText(e);
    case TextColumn:
        return e.text;
    default:
        return QVariant();
    }
}

QVariant FrameModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TimeColumn:
        return Texts::tr("时间");
    case DirectionColumn:
        return Texts::tr("方向");
    case CodeColumn:
        return Texts::tr("代码");
    case HexColumn:
        return Texts::tr("十六进制");
    case VerdictColumn:
        return Texts::tr("校验");
    case TextColumn:
        return Texts::tr("内容");
    default:
        return QVariant();
    }
}

} // namespace diagnostics

#include "moc_frame_model.cpp"
