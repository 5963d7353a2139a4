// Starting applications. The headless roster starts nothing: it records
// each launch for the host (HeadlessDisplay::Launches) and reports success.
#ifndef _ROSTER_H
#define _ROSTER_H

#include <SupportDefs.h>

class BMessage;

class BRoster {
public:
	BRoster();
	~BRoster();

	// Records signature and the argc arguments; *team (if given) gets a new
	// team id. B_BAD_VALUE for a NULL signature or a negative argc, or NULL
	// arguments with argc > 0.
	status_t Launch(const char* signature, int argc, char** arguments,
		team_id* team = NULL) const;
	status_t Launch(const char* signature, int argc,
		const char* const* arguments, team_id* team = NULL) const;
	status_t Launch(const char* signature, BMessage* initialMessage = NULL,
		team_id* team = NULL) const;
};

extern const BRoster* be_roster;

#endif	// _ROSTER_H
