// Several tracks at once, as when a file manager hands the window more than one: one
// question, one run per track, one message with every result.
#pragma once

#include <QStringList>

#include "conversion/settings.h"

class QWidget;

namespace quellmark {

class MessageSink;

// Asks once whether to convert Tracks (naming the outputs that would be replaced), converts
// each to NoIcons_<name> in its own folder with a progress dialog that can stop between
// tracks, then lists each track's result in one message.
void ConvertTrackList(QWidget* Owner, MessageSink& Messages, const QStringList& Tracks,
                      IconState InitialIconState, CommandType ReplacementCommand);

// The output of Track when it is converted in a list: NoIcons_<name> beside it.
QString ListOutputFor(const QString& Track);

}  // namespace quellmark
