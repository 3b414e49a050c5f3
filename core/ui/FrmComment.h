#pragma once

#include <QString>
#include <QWidget>
#include <optional>

class QLabel;
class QLineEdit;
class QTimer;

namespace jvz {

// The one-line progress window of a batch run. Callers show it and write the steps of the connection into it;
// it repaints at once, since they often keep working without handling events.
class FrmComment : public QWidget {
    Q_OBJECT
public:
    explicit FrmComment(QWidget* parent = nullptr);

    // Fills the window without showing it. A caption replaces the design caption "Info" when given.
    void init(const QString& comment, const std::optional<QString>& caption = std::nullopt);
    void NewComment(const QString& text);
    QString GetComment() const;

    // False while the window shows text, true once it has been unloaded.
    bool AffichageTermine = false;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Timer1_Timer();

    QLabel* m_label1;
    QLineEdit* m_text1;
    QTimer* m_timer1;
};

} // namespace jvz
