#pragma once

#include <QListWidget>

#include <optional>

// A list box with one notion of the selected line: the line that is
// highlighted is the current row, and the current row is the line that is
// highlighted. Qt's item views keep the two apart (focus makes the first row
// current without selecting it, a Ctrl+click deselects and keeps the current
// row); here neither can happen, so currentRowChanged() tells the whole story.
//
// The user moves the selection with the mouse and the keys, but cannot clear
// it; only code can, with setCurrentRow(-1).
class ListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    // A list that is not shown has no lines on screen. Assistive technology
    // takes a line with a place on screen for one that shows, and would read
    // the lines of every hidden page as shown.
    QRect visualRect(const QModelIndex &index) const override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void keepOneSelectedLine();

    // The row a navigation key leads to, or nothing when the key is none.
    std::optional<int> rowForKey(int key) const;
    int rowsPerPage() const;

    bool m_oneSelectedLine = false;
};
