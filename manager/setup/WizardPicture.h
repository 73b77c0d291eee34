// The picture beside every wizard page (bitmap 153): a printer that sends its page as a
// letter, drawn by the program so that it needs no file and suits any screen density.
#pragma once

#include <QPixmap>

class QLabel;

namespace sendaro {

// The picture, `width` by twice as high.
QPixmap WizardPicture(int width = 96);

// Puts the picture into `label` and names it "153".
void ShowWizardPicture(QLabel *label);

} // namespace sendaro
