// A test's own files: a fresh directory, removed with everything in it at
// the end of the test, and the small file helpers tests share.
#ifndef NUV_SCRATCH_H
#define NUV_SCRATCH_H

#include <string>

// The whole content of the file at `path`; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Replaces the file at `path` with `bytes`, creating the directories it
// lacks.
void WriteFile(const std::string& path, const std::string& bytes);
// `argument` as one word for the POSIX shell, in single quotes.
std::string Quote(const std::string& argument);

class ScratchDirectory {
public:
	// A new directory /tmp/nuv-test-XXXXXX.
								ScratchDirectory();
								~ScratchDirectory();

	// The directory, without a final "/".
			const std::string&	Path() const { return fPath; }
	// `name` inside it.
			std::string			File(const std::string& name) const
									{ return fPath + "/" + name; }
	// A directory `name` inside it holding a copy of every file of the
	// directory `source` (none when empty); its path.
			std::string			Settings(const std::string& name,
									const std::string& source
										= std::string()) const;

private:
			std::string			fPath;
};

// The small settings of the front-end tests (tests/data/frontend/settings)
// and the bundled ones (settings/).
const std::string kTestSettings = NUV_TEST_DATA_DIR "/frontend/settings";
const std::string kDefaultSettings = NUV_SETTINGS_SOURCE_DIR;

#endif	// NUV_SCRATCH_H
