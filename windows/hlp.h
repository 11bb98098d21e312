#pragma once
// The help window: the program's help as read-only text.

#include <QWidget>

class QPlainTextEdit;

class ThlpFrm : public QWidget {
    Q_OBJECT
  public:
    explicit ThlpFrm(QWidget* parent = nullptr);

    /// The whole help text, in French.
    static QString TexteAide();

    QPlainTextEdit* Memo1 = nullptr; ///< fills the window, read-only, vertical scroll bar
};
