#pragma once

// The about window: title, program file name, version, description, the author's addresses and
// a button that opens the home page. Modeless, without an owner, at most one at a time.

#include <QDialog>

class Platform;

class frmabt : public QDialog
{
    Q_OBJECT

public:
    // Shows the about window: creates it when none is open, else only brings it to the front
    // (its texts are not set again). Returns: the window shown.
    static frmabt *showInstance(Platform &platform);

    // The window now open, or nullptr.
    static frmabt *instance();

private:
    explicit frmabt(Platform &platform);
};
