#pragma once

#include <QHash>
#include <QStackedWidget>
#include <vector>

class QListView;
class QTreeView;
class QItemSelectionModel;
class FileListModel;
class QTimer;
class Thumbnailer;

inline constexpr quint32 LVM_SETEXTENDEDLISTVIEWSTYLE = 4150;
inline constexpr quint32 LVM_GETEXTENDEDLISTVIEWSTYLE = 4151;
inline constexpr quint32 LVS_EX_GRIDLINES = 1;
inline constexpr quint32 LVS_EX_FULLROWSELECT = 32;

// The file list control: one model shown in four view modes (0 large icons,
// 1 small icons, 2 list, 3 details), multiple selection, and an
// extended-style word whose bits switch full-row selection and grid lines.
class FileListView : public QStackedWidget {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

    FileListModel* Model() const { return model_; }
    // Names the list and both of its views for screen readers.
    void SetAccessibleName(const QString& name);
    QItemSelectionModel* Selection() const;

    int View() const { return view_; }
    void SetView(int view);

    qintptr SendMessage(quint32 msg, quintptr wParam, qintptr lParam);
    quint32 ExtendedStyle() const { return exStyle_; }

    // Column widths in twips.
    float ColumnWidth(int column) const;
    void SetColumnWidth(int column, float twips);

    // Current (focused) row, -1 when none.
    int SelectedRow() const;
    void SetSelectedRow(int row);
    bool IsSelected(int row) const;
    void SetSelected(int row, bool selected);
    // The selected rows in list order, read in one pass over the selection's
    // ranges: a row with any selected cell counts (the icon views select the
    // name only). Asking row by row walks every range for every row, and a
    // selection made one row at a time, as Select All makes it, has as many
    // ranges as rows.
    std::vector<int> SelectedRows() const;
    // Selects these rows (ascending) and no others, in one change of the
    // selection with one range per run of neighbours: row by row, every
    // change walks all the ranges made before it.
    void SelectOnly(const std::vector<int>& rows);

    QTreeView* DetailsView() const { return details_; }
    QListView* IconsView() const { return icons_; }

    // Whether Large Icons and Small Icons show thumbnails: the switch in
    // Extras, read when the view changes and at each listing.
    bool ThumbnailsShown() const { return thumbsOn_; }
    Thumbnailer* Thumbs() const { return thumbs_; }
    // The picture drawn for row instead of its type image; null for none.
    QPixmap ThumbnailOf(int row) const;

signals:
    void GotFocus();
    void DblClick();
    void ColumnClick(int column);
    void KeyUp(int key, int shift);
    void MouseUp(int button, int shift, float x, float y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyExtendedStyle();
    void readThumbnailSwitch();
    // Asks for the thumbnails of the rows in view, then of those a screen
    // before and after, soon after the view moved.
    void wantThumbnails();
    std::vector<int> rowsInView() const;
    void thumbnailArrived(const QByteArray& path);

    FileListModel* model_;
    QTreeView* details_;
    QListView* icons_;
    int view_ = 3;
    quint32 exStyle_ = 0;
    Thumbnailer* thumbs_;
    bool thumbsOn_ = false;
    QTimer* wantTimer_;
    QHash<QByteArray, int> asked_;  // row of each file last asked for
};
