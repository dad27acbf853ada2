#pragma once
// The texts of the window in the language chosen: the program's own translation and Qt's
// (its file dialogs, message boxes, page setup and context menus), which Debian ships in
// qt6-translations-l10n. Both translators belong to the returned object and stay
// installed for its life.

#include <QObject>

namespace zel::gui {

class Translations : public QObject {
public:
    // japanese: install the Japanese translations; otherwise nothing (English source texts).
    explicit Translations(bool japanese, QObject* parent = nullptr);
    ~Translations() override;
    // Whether each translation was found and installed.
    bool OwnLoaded() const { return ownLoaded_; }
    bool QtLoaded() const { return qtLoaded_; }

private:
    bool ownLoaded_ = false;
    bool qtLoaded_ = false;
};

}  // namespace zel::gui
