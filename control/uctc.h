#pragma once

#include "ostrel_export.h"

#include <QWidget>

#include <memory>

class ucTCPrivate;

namespace ostrel {
struct PlatformServices;
}

/// The TC manager control: keeps the list of TC definitions (total conversions and
/// custom groups) and the directory clean-up preference in the per-user settings store,
/// and imports, writes and views TC scripts.
///
/// Its only public face is the signal LoadTCNames, raised after every "Save" and
/// "Delete": the stored set of definitions may have changed.
class OSTREL_EXPORT ucTC : public QWidget
{
    Q_OBJECT
public:
    /// Real dialogs and the default per-user store.
    explicit ucTC(QWidget *parent = nullptr);
    /// The given platform services (a host with a store of its own, tests).
    explicit ucTC(const ostrel::PlatformServices &services, QWidget *parent = nullptr);
    ~ucTC() override;

Q_SIGNALS:
    void LoadTCNames();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    friend class ucTCPrivate;
    const std::unique_ptr<ucTCPrivate> d;
};
