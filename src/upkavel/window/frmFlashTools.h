#pragma once
// The splash shown while the database connection is being made: a borderless picture with the
// status label lbView, which shows the connection gate's text of the moment it was created.

#include <QWidget>

class QLabel;

namespace kavel {

class TFlashTools : public QWidget {
public:
    explicit TFlashTools(QWidget* parent = nullptr);
    ~TFlashTools() override;

    QLabel* Image1;
    QLabel* lbView;
    QLabel* Label1;
    QLabel* Image2;

    void FormCreate();
};

// The splash while it exists; null otherwise.
extern TFlashTools* FlashTools;

}  // namespace kavel
