#pragma once
// Client data files ("*.kl"): an SQLite file of ours holding a statement's rows
// (TempKlients, corrections and deletions included), the print rows of its last
// print (TempKlientsNew), and the client and period it was made for.

#include "billing/klientsrules.h"

#include <QString>
#include <stdexcept>

namespace kelm {

class Connection;

// A save or load that did not happen; text says why, for the user.
class StatementFileError : public std::runtime_error {
public:
    explicit StatementFileError(const QString &text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

// The file filter and extension of the statement file dialogs.
QString statementFileFilter();
QString statementFileSuffix();

// Writes the statement held in the scratch to path: first into a new file
// beside it, which then replaces path in one step, so that a failure never
// leaves half a file (nor harms a file already there). Throws StatementFileError.
void saveStatementFile(Connection &scratch, const StatementSubject &subject, const QString &path);

// Replaces the statement held in the scratch by the one in the file at path and
// returns the client and period the file names. A file that is not a statement
// of this program (not SQLite, cut short, another program's database) is refused
// with StatementFileError and nothing changes.
StatementSubject loadStatementFile(Connection &scratch, const QString &path);

} // namespace kelm
