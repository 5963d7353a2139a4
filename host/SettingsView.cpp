#include "SettingsView.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>


namespace {

const char* const kViewName = "nuvim_settings";
const char* const kSeededList = "seeded-copies";
const char* const kHelpDirectory = "help";


bool
Exists(const std::string& path)
{
	struct stat status;
	return lstat(path.c_str(), &status) == 0;
}


// The entries of the bundle's list for `name`: size and checksum.
std::vector<std::pair<off_t, std::string>>
SeededVersions(const std::string& bundle, const std::string& name)
{
	std::vector<std::pair<off_t, std::string>> versions;
	std::ifstream in(bundle + "/" + kSeededList);
	std::string line;
	while (std::getline(in, line)) {
		std::istringstream fields(line);
		std::string sum;
		long long size = -1;
		std::string file;
		if (fields >> sum >> size >> file && file == name && size >= 0)
			versions.emplace_back(static_cast<off_t>(size), sum);
	}
	return versions;
}


// Removes a view's links, its help directory and itself; the temporary
// directory is left to the caller.
void
RemoveLinks(const std::string& view)
{
	for (const std::string& name : SettingsView::BundleFiles())
		unlink((view + "/" + name).c_str());
	for (const std::string& name : SettingsView::UserFiles())
		unlink((view + "/" + name).c_str());
	rmdir((view + "/" + kHelpDirectory).c_str());
	rmdir(view.c_str());
}


// #pragma mark - SHA-256 (FIPS 180-4)


const uint32_t kRounds[64] = {
	0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1,
	0x923f82a4, 0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3,
	0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786,
	0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
	0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147,
	0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13,
	0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
	0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
	0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a,
	0x5b9cca4f, 0x682e6ff3, 0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208,
	0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2
};


inline uint32_t
Rotate(uint32_t x, int n)
{
	return (x >> n) | (x << (32 - n));
}


void
Compress(uint32_t state[8], const unsigned char* block)
{
	uint32_t w[64];
	for (int i = 0; i < 16; i++) {
		w[i] = uint32_t(block[4 * i]) << 24 | uint32_t(block[4 * i + 1]) << 16
			| uint32_t(block[4 * i + 2]) << 8 | uint32_t(block[4 * i + 3]);
	}
	for (int i = 16; i < 64; i++) {
		const uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18)
			^ (w[i - 15] >> 3);
		const uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19)
			^ (w[i - 2] >> 10);
		w[i] = w[i - 16] + s0 + w[i - 7] + s1;
	}
	uint32_t a = state[0], b = state[1], c = state[2], d = state[3],
		e = state[4], f = state[5], g = state[6], h = state[7];
	for (int i = 0; i < 64; i++) {
		const uint32_t t1 = h + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25))
			+ ((e & f) ^ (~e & g)) + kRounds[i] + w[i];
		const uint32_t t2 = (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22))
			+ ((a & b) ^ (a & c) ^ (b & c));
		h = g; g = f; f = e; e = d + t1;
		d = c; c = b; b = a; a = t1 + t2;
	}
	state[0] += a; state[1] += b; state[2] += c; state[3] += d;
	state[4] += e; state[5] += f; state[6] += g; state[7] += h;
}

}	// namespace


const std::vector<std::string>&
SettingsView::BundleFiles()
{
	static const std::vector<std::string> files = {
		"roman_kana.table",
		"roman_zennei.table",
		"control_key.table",
		"NUV-JISYO.L",
		"help/index.html",
	};
	return files;
}


const std::vector<std::string>&
SettingsView::UserFiles()
{
	static const std::vector<std::string> files = {
		".nuv-jisyo",
		".nuv-jisyo.new",
	};
	return files;
}


bool
SettingsView::Make(const std::string& directory, const std::string& bundle,
	std::string& temporary, std::string& error)
{
	temporary.clear();
	const std::string pattern = TemporaryDirectory(error);
	if (pattern.empty())
		return false;

	// The links name the bundle's files by their real path, which is what
	// a help page opened through the view shows.
	std::string installed = bundle;
	char real[PATH_MAX];
	if (!bundle.empty() && realpath(bundle.c_str(), real) != NULL)
		installed = real;
	const std::string view = pattern + "/" + kViewName;
	bool made = mkdir(view.c_str(), 0700) == 0
		&& mkdir((view + "/" + kHelpDirectory).c_str(), 0700) == 0;
	for (const std::string& name : BundleFiles()) {
		const std::string own = directory + "/" + name;
		std::string target = own;
		if (!installed.empty() && (!Exists(own)
				|| IsSeededCopy(directory, name, installed)))
			target = installed + "/" + name;
		// A file in neither place stays missing, as the method expects of
		// a settings directory without it.
		if (made && Exists(target))
			made = symlink(target.c_str(), (view + "/" + name).c_str()) == 0;
	}
	for (const std::string& name : UserFiles()) {
		made = made && symlink((directory + "/" + name).c_str(),
			(view + "/" + name).c_str()) == 0;
	}
	if (!made) {
		RemoveLinks(view);
		rmdir(pattern.c_str());
		error = "cannot make the settings view in " + pattern;
		return false;
	}
	temporary = pattern;
	return true;
}


std::string
SettingsView::TemporaryDirectory(std::string& error)
{
	// A TMPDIR that names a missing or unwritable directory is the
	// environment's fault, not a reason to refuse to start.
	const char* base = getenv("TMPDIR");
	for (const char* candidate : {base, "/tmp"}) {
		if (candidate == NULL || candidate[0] != '/')
			continue;
		std::string pattern = std::string(candidate) + "/nuvim-XXXXXX";
		if (mkdtemp(&pattern[0]) != NULL)
			return pattern;
	}
	error = "cannot create a temporary directory in $TMPDIR or /tmp";
	return std::string();
}


void
SettingsView::Remove(const std::string& temporary)
{
	if (temporary.empty())
		return;
	const std::string view = temporary + "/" + kViewName;
	// The older form: a single link to the whole directory.
	if (unlink(view.c_str()) != 0)
		RemoveLinks(view);
	rmdir(temporary.c_str());
}


std::string
SettingsView::FileBehind(const std::string& path,
	const std::string& viewPrefix, const std::string& userPrefix)
{
	if (viewPrefix.empty() || path.compare(0, viewPrefix.size(), viewPrefix)
			!= 0)
		return path;
	char target[PATH_MAX];
	const ssize_t length = readlink(path.c_str(), target, sizeof(target) - 1);
	if (length > 0 && target[0] == '/')
		return std::string(target, static_cast<size_t>(length));
	return userPrefix + path.substr(viewPrefix.size());
}


bool
SettingsView::IsSeededCopy(const std::string& directory,
	const std::string& name, const std::string& bundle)
{
	const std::string path = directory + "/" + name;
	struct stat status;
	if (lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
		return false;
	const std::vector<std::pair<off_t, std::string>> versions
		= SeededVersions(bundle, name);
	// The size first: the user's own large dictionary is not read at
	// every start.
	bool sized = false;
	for (const auto& version : versions)
		sized = sized || version.first == status.st_size;
	if (!sized)
		return false;

	std::ifstream in(path, std::ios::binary);
	const std::string bytes((std::istreambuf_iterator<char>(in)),
		std::istreambuf_iterator<char>());
	if (!in.eof() && in.fail())
		return false;
	const std::string sum = Sha256(bytes);
	for (const auto& version : versions) {
		if (version.first == static_cast<off_t>(bytes.size())
			&& version.second == sum)
			return true;
	}
	return false;
}


std::vector<std::string>
SettingsView::RemoveSeededCopies(const std::string& directory,
	const std::string& bundle)
{
	std::vector<std::string> removed;
	if (bundle.empty())
		return removed;
	for (const std::string& name : BundleFiles()) {
		if (IsSeededCopy(directory, name, bundle)
			&& unlink((directory + "/" + name).c_str()) == 0)
			removed.push_back(name);
	}
	// Only when empty: the user's own files there stay.
	rmdir((directory + "/" + kHelpDirectory).c_str());
	return removed;
}


std::string
SettingsView::Sha256(const std::string& bytes)
{
	uint32_t state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
		0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
	const size_t whole = bytes.size() / 64 * 64;
	const unsigned char* data
		= reinterpret_cast<const unsigned char*>(bytes.data());
	for (size_t i = 0; i < whole; i += 64)
		Compress(state, data + i);

	// The tail, a 1 bit, zeros, and the length in bits (big-endian).
	unsigned char tail[128] = {};
	const size_t rest = bytes.size() - whole;
	for (size_t i = 0; i < rest; i++)
		tail[i] = data[whole + i];
	tail[rest] = 0x80;
	const size_t tailSize = rest < 56 ? 64 : 128;
	const uint64_t bits = static_cast<uint64_t>(bytes.size()) * 8;
	for (int i = 0; i < 8; i++)
		tail[tailSize - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
	for (size_t i = 0; i < tailSize; i += 64)
		Compress(state, tail + i);

	std::string hex;
	char digits[9];
	for (uint32_t word : state) {
		snprintf(digits, sizeof(digits), "%08x", word);
		hex += digits;
	}
	return hex;
}
