#pragma once

#include <QWidget>

#include <functional>

class QLineEdit;
class QToolButton;

// The panel's search field: a rounded bar with a magnifier, the text and, while the text is not
// blank, a clear button that focuses the field, then empties it. Every change after the first
// display is reported.
class SearchIslandView final : public QWidget {
    Q_OBJECT
public:
    explicit SearchIslandView(std::function<void(const QString&)> onSearchQueryChange, QWidget* parent = nullptr);

    // Shows a text without reporting it.
    void setText(const QString& text);
    QString text() const;
    void focusField();
    QLineEdit* field() const { return m_field; }
    QToolButton* clearButton() const { return m_clear; }
    // Re-reads the texts after a change of language.
    void retranslate();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateClearButton();

    std::function<void(const QString&)> m_onSearchQueryChange;
    QLineEdit* m_field = nullptr;
    QToolButton* m_clear = nullptr;
};
