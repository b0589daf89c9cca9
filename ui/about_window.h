#pragma once

#include "ui/form_model.h"

#include <QDialog>

namespace qzb {

[[nodiscard]] WindowDescription aboutWindowDescription();

// The about window: the product line, the author, a contact line and the
// maker's site, beside its picture. Its fields are filled once its controls
// exist, before it shows itself.
class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);

signals:
    void linkOpened(const QUrl& url);

private:
    void fillFields();

    ControlMap m_controls;
};

} // namespace qzb
