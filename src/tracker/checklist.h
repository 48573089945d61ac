#pragma once

#include "listbox.h"

// A list whose every line carries a check box: a click on the box, or Space
// on the selected line, asks for the line to be toggled. The list never
// changes a box by itself; its owner sets the boxes from the files. Letters
// typed on the list are left to the window, which opens Find with them.
class CheckList : public ListBox
{
    Q_OBJECT

public:
    explicit CheckList(QWidget *parent = nullptr);

    void addEntry(const QString &name);
    void setChecked(int row, bool checked);
    bool isChecked(int row) const;

Q_SIGNALS:
    void toggleRequested(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// Typed text that opens Find rather than jumping within a list: a printable
// key without Ctrl or Alt.
bool isFindText(const QKeyEvent *event);
