#pragma once

#include <QString>

// Where the program keeps param.ini, its recordings, fichier_excel.csv and temp.txt: its own
// directory when it can write there, otherwise (an installed program) the user's data folder.
QString programDirectory();
