// The language of Qt's own dialogs and boxes.
#pragma once

class QCoreApplication;
class QTranslator;

// Installs Qt's own translations for the user's locale when they are installed, so that the
// standard file dialogs and message boxes speak the desktop's language; English otherwise.
// Gives the installed translator (owned by `app`), or null when there is none for the locale.
QTranslator* LoadQtTranslations(QCoreApplication& app);
