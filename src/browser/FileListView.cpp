#include "browser/FileListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>

#include "browser/FileListModel.h"
#include "kit/Extras.h"
#include "kit/MouseCodes.h"
#include "kit/Thumbnailer.h"
#include "kit/Twips.h"

namespace {
// Draws the list's cells as the extended style asks: the selection only on
// the name column without full-row select, and light cell borders with grid
// lines on.
class ListDelegate : public QStyledItemDelegate {
public:
    explicit ListDelegate(FileListView* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        // Both bits belong to the details view only.
        const quint32 ex = option.widget == list_->DetailsView() ? list_->ExtendedStyle() : 0;
        if (!(ex & LVS_EX_FULLROWSELECT) && index.column() != 0) {
            opt.state &= ~QStyle::State_Selected;
            opt.state &= ~QStyle::State_HasFocus;
        }
        QStyledItemDelegate::paint(p, opt, index);
        if (ex & LVS_EX_GRIDLINES) {
            p->save();
            p->setPen(option.palette.color(QPalette::Midlight));
            p->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
            p->drawLine(option.rect.topRight(), option.rect.bottomRight());
            p->restore();
        }
    }

protected:
    // The icon views draw a picture's thumbnail, once there is one, where
    // the model gives its type image.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->widget != list_->IconsView() || index.column() != 0 ||
            !list_->ThumbnailsShown() || list_->View() > 1)
            return;
        // Every item keeps the room of a thumbnail, so none moves when its
        // picture arrives; a type image sits in the middle of it.
        option->decorationSize = list_->IconsView()->iconSize();
        const QPixmap thumb = list_->ThumbnailOf(index.row());
        if (thumb.isNull()) return;
        option->icon = QIcon(thumb);
        option->features |= QStyleOptionViewItem::HasDecoration;
    }

private:
    FileListView* list_;
};

const float kColumnTwips[] = {3528, 2117, 2540, 3175};
// Large Icons with thumbnails: room for a picture, and two lines of its name.
constexpr int kThumbSide = 96;
constexpr int kThumbGridExtraWidth = 28;
constexpr int kThumbGridExtraHeight = 40;
// The rows asked for beyond those in view, on each side, at the least.
constexpr int kThumbsAround = 24;
// The rows asked for when the view has not laid its items out yet.
constexpr int kThumbsUnplaced = 64;
// How long the view must rest before thumbnails are asked for: a scroll
// sends many moves.
constexpr int kWantDelayMs = 20;
}  // namespace

FileListView::FileListView(QWidget* parent)
    : QStackedWidget(parent),
      model_(new FileListModel(this)),
      details_(new QTreeView(this)),
      icons_(new QListView(this)),
      thumbs_(new Thumbnailer(this)),
      wantTimer_(new QTimer(this)) {
    details_->setModel(model_);
    for (QAbstractItemView* v :
         {static_cast<QAbstractItemView*>(details_), static_cast<QAbstractItemView*>(icons_)}) {
        v->setSelectionMode(QAbstractItemView::ExtendedSelection);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->setItemDelegate(new ListDelegate(this));
        v->installEventFilter(this);
        v->viewport()->installEventFilter(this);
        connect(v, &QAbstractItemView::doubleClicked, this, [this] { emit DblClick(); });
    }
    details_->setRootIsDecorated(false);
    details_->setItemsExpandable(false);
    details_->setUniformRowHeights(true);
    details_->setSelectionBehavior(QAbstractItemView::SelectRows);
    details_->setAllColumnsShowFocus(true);
    details_->header()->setSectionsClickable(true);
    details_->header()->setStretchLastSection(false);
    details_->header()->setSortIndicatorShown(false);
    connect(details_->header(), &QHeaderView::sectionClicked, this,
            [this](int c) { emit ColumnClick(c); });
    for (int c = 0; c < 4; ++c) SetColumnWidth(c, kColumnTwips[c]);
    icons_->setUniformItemSizes(false);  // names differ in width
    icons_->setWordWrap(true);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setWrapping(true);
    // A large folder is laid out a batch of names at a time, between
    // events, so the window stays live.
    icons_->setLayoutMode(QListView::Batched);
    icons_->setBatchSize(500);
    addWidget(details_);
    addWidget(icons_);

    wantTimer_->setSingleShot(true);
    wantTimer_->setInterval(kWantDelayMs);
    connect(wantTimer_, &QTimer::timeout, this, &FileListView::wantThumbnails);
    auto want = [this] { wantTimer_->start(); };
    connect(icons_->verticalScrollBar(), &QScrollBar::valueChanged, this, want);
    connect(icons_->horizontalScrollBar(), &QScrollBar::valueChanged, this, want);
    connect(model_, &QAbstractItemModel::layoutChanged, this, want);
    connect(model_, &QAbstractItemModel::modelReset, this, [this, want] {
        // A new listing: what was on its way is for the old one.
        thumbs_->Restart();
        asked_.clear();
        readThumbnailSwitch();
        want();
    });
    connect(thumbs_, &Thumbnailer::Arrived, this, &FileListView::thumbnailArrived);
    SetView(3);
}

QItemSelectionModel* FileListView::Selection() const {
    return details_->selectionModel();
}

void FileListView::SetView(int view) {
    if (view < 0 || view > 3) return;
    view_ = view;
    thumbsOn_ = Extras::On(Keys::ShowThumbnails);
    if (view == 3) {
        thumbs_->Want({});
        setCurrentWidget(details_);
        // Only the view on show follows the list: a hidden icon view would
        // measure every name of a large folder after each listing.
        icons_->setModel(nullptr);
        return;
    }
    if (icons_->model() != model_) {
        icons_->setModel(model_);
        icons_->setSelectionModel(details_->selectionModel());
    }
    const bool large = view == 0, bigThumbs = large && thumbsOn_;
    // Large icons: names under big icons, arranged from the top; small icons:
    // rows left to right; list: columns top to bottom.
    icons_->setViewMode(view == 0 ? QListView::IconMode : QListView::ListMode);
    icons_->setMovement(QListView::Static);
    icons_->setFlow(view == 2 ? QListView::TopToBottom : QListView::LeftToRight);
    icons_->setWrapping(true);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setIconSize(bigThumbs ? QSize(kThumbSide, kThumbSide)
                        : large   ? QSize(32, 32)
                                  : QSize(16, 16));
    icons_->setGridSize(bigThumbs ? QSize(std::max(PxX(1500), kThumbSide + kThumbGridExtraWidth),
                                          kThumbSide + kThumbGridExtraHeight)
                        : large   ? QSize(PxX(1500), PxY(1000))
                                  : QSize());
    icons_->setSpacing(large ? 0 : 2);
    setCurrentWidget(icons_);
    icons_->doItemsLayout();
    wantTimer_->start();
}

void FileListView::readThumbnailSwitch() {
    const bool on = Extras::On(Keys::ShowThumbnails);
    if (on == thumbsOn_) return;
    if (view_ <= 1)
        SetView(view_);  // the icons' size follows the switch
    else
        thumbsOn_ = on;
}

QPixmap FileListView::ThumbnailOf(int row) const {
    if (!thumbsOn_ || view_ > 1 || row < 0 || row >= model_->Count()) return {};
    const QByteArray& path = model_->Item(row).RawKey();
    if (path.isEmpty()) return {};
    const qreal ratio = icons_->devicePixelRatioF();
    return thumbs_->Find(path, qRound(icons_->iconSize().width() * ratio), ratio);
}

std::vector<int> FileListView::rowsInView() const {
    // Rows run left to right and wrap downwards, so their tops only grow:
    // the first row in view is found by halving, the rest follow it.
    const int count = model_->Count();
    const QRect area = icons_->viewport()->rect();
    auto rectOf = [this](int row) { return icons_->visualRect(model_->index(row, 0)); };
    int lo = 0, hi = count;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (rectOf(mid).bottom() < area.top())
            lo = mid + 1;
        else
            hi = mid;
    }
    std::vector<int> rows;
    for (int row = lo; row < count; ++row) {
        const QRect r = rectOf(row);
        if (r.top() > area.bottom()) break;
        if (r.intersects(area)) rows.push_back(row);
    }
    if (rows.empty() && count > 0 && rectOf(0).isEmpty())
        for (int row = 0; row < std::min(count, kThumbsUnplaced); ++row) rows.push_back(row);
    return rows;
}

void FileListView::wantThumbnails() {
    if (!thumbsOn_ || view_ > 1) {
        thumbs_->Want({});
        return;
    }
    const qreal ratio = icons_->devicePixelRatioF();
    thumbs_->SetSize(Thumbnails::SizeFor(qRound(icons_->iconSize().width() * ratio)));
    std::vector<int> rows = rowsInView();
    if (!rows.empty()) {
        // Then a screen's worth after the view and before it.
        const int count = model_->Count();
        const int around = std::max(int(rows.size()), kThumbsAround);
        const int first = rows.front(), last = rows.back();
        for (int row = last + 1; row < std::min(count, last + 1 + around); ++row)
            rows.push_back(row);
        for (int row = first - 1; row >= std::max(0, first - around); --row) rows.push_back(row);
    }
    asked_.clear();
    std::vector<QByteArray> paths;
    paths.reserve(rows.size());
    for (int row : rows) {
        const QByteArray& path = model_->Item(row).RawKey();
        if (path.isEmpty()) continue;
        asked_.insert(path, row);
        paths.push_back(path);
    }
    thumbs_->Want(paths);
}

void FileListView::thumbnailArrived(const QByteArray& path) {
    const int row = asked_.value(path, -1);
    if (row >= 0 && row < model_->Count() && view_ <= 1) icons_->update(model_->index(row, 0));
}

qintptr FileListView::SendMessage(quint32 msg, quintptr, qintptr lParam) {
    switch (msg) {
        case LVM_GETEXTENDEDLISTVIEWSTYLE:
            return exStyle_;
        case LVM_SETEXTENDEDLISTVIEWSTYLE: {
            const quint32 old = exStyle_;
            exStyle_ = quint32(lParam);
            applyExtendedStyle();
            return old;
        }
        default:
            return 0;
    }
}

void FileListView::applyExtendedStyle() {
    details_->viewport()->update();
    icons_->viewport()->update();
}

float FileListView::ColumnWidth(int column) const {
    return TwX(details_->columnWidth(column));
}

void FileListView::SetColumnWidth(int column, float twips) {
    details_->setColumnWidth(column, PxX(twips));
}

int FileListView::SelectedRow() const {
    const QModelIndex i = Selection()->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void FileListView::SetSelectedRow(int row) {
    if (row < 0 || row >= model_->Count()) return;
    Selection()->setCurrentIndex(model_->index(row, 0),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool FileListView::IsSelected(int row) const {
    // As SelectedRows counts it: the icon views select the name only.
    for (int column = 0; column < FileListModel::ColumnCount_; ++column)
        if (Selection()->isSelected(model_->index(row, column))) return true;
    return false;
}

std::vector<int> FileListView::SelectedRows() const {
    const int count = model_->Count();
    std::vector<bool> marked(count, false);
    for (const QItemSelectionRange& range : Selection()->selection())
        for (int row = std::max(range.top(), 0); row <= range.bottom() && row < count; ++row)
            marked[row] = true;
    std::vector<int> rows;
    for (int row = 0; row < count; ++row)
        if (marked[row]) rows.push_back(row);
    return rows;
}

void FileListView::SelectOnly(const std::vector<int>& rows) {
    QItemSelection selection;
    for (std::size_t first = 0, last = 0; first < rows.size(); first = ++last) {
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1) ++last;
        selection.select(model_->index(rows[first], 0),
                         model_->index(rows[last], FileListModel::ColumnCount_ - 1));
    }
    Selection()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void FileListView::SetSelected(int row, bool selected) {
    if (row < 0 || row >= model_->Count()) return;
    Selection()->select(model_->index(row, 0),
                        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                            QItemSelectionModel::Rows);
}

bool FileListView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Resize:
            if (watched == icons_->viewport()) wantTimer_->start();
            break;
        case QEvent::FocusIn:
            if (watched == details_ || watched == icons_) emit GotFocus();
            break;
        case QEvent::KeyRelease: {
            auto* k = static_cast<QKeyEvent*>(event);
            if (!k->isAutoRepeat()) emit KeyUp(k->key(), ShiftCode(k->modifiers()));
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto* m = static_cast<QMouseEvent*>(event);
            const int button = ButtonCode(m->button());
            emit MouseUp(button, ShiftCode(m->modifiers()), TwX(int(m->position().x())),
                         TwY(int(m->position().y())));
            break;
        }
        default:
            break;
    }
    return QStackedWidget::eventFilter(watched, event);
}

void FileListView::SetAccessibleName(const QString& name) {
    setAccessibleName(name);
    details_->setAccessibleName(name);
    icons_->setAccessibleName(name);
}
