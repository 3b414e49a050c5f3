#pragma once

#include "core/MBLanguages.h"
#include "core/ui/PainterPageSurface.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;

namespace jvz {

// The page printer's preview: a report started on surface() shows here page by page once it has ended.
class frmPrintPreview : public QDialog {
    Q_OBJECT
public:
    explicit frmPrintPreview(QWidget* parent = nullptr);

    void InitLanguage(const MBLanguages& language);
    PreviewPageSurface& surface() { return m_surface; }

    int pageCount() const { return int(m_surface.pages().size()); }
    int currentPage() const { return m_page; } // 0-based
    void showPage(int index);

private:
    MBLanguages m_language;
    PreviewPageSurface m_surface;
    int m_page = 0;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_lblPage = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace jvz
