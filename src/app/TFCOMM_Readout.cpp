// LCD readout, reading decoder and pass/fail judgement of the main window.
#include "app/TFCOMM.h"

#include <QKeyEvent>
#include <QLineEdit>

void TFCOMM::CreateReadoutBehaviour() {}

void TFCOMM::LcdDisplay81() {}

void TFCOMM::JudgeReading(QLineEdit*, QLineEdit*, QLineEdit*) {}

bool TFCOMM::T1LOKeyPress(QLineEdit*, QKeyEvent*)
{
    return false;
}

void TFCOMM::T1LOChange(QLineEdit*) {}
