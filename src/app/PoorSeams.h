#pragma once
// The question before a bank is exported with seams rated poor: a click in
// every held note is easy to miss while editing and costly once the bank is
// handed on.

#include <QString>
#include <QStringList>

class TPrompter;
class TWaveListModel;
class QWidget;

// The names of the waves of Model whose loop plays with a seam rated poor
// (TWaveListModel::SeamOf), in list order.
QStringList PoorSeamWaves(const TWaveListModel& Model);

// Names the waves with a poor seam and asks whether to export anyway; true
// to export (also when no seam is poor). A list saved as a file can be
// answered "always for this list": its path joins AlwaysLists, and a list
// file there is exported without the question. The window keeps that answer
// for as long as it runs.
bool ConfirmPoorSeams(TPrompter& Prompter, QWidget* Parent, const TWaveListModel& Model, const QString& ListPath,
                      QStringList& AlwaysLists);
