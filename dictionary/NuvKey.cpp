#include "NuvKey.h"


NuvKey::NuvKey(const nuv_candidate& c)
	:
	reading(c.reading),
	okuri(c.okuri)
{
}


NuvKey::NuvKey(const char* text)
{
	std::string ascii;
	for (const char* p = text; *p != '\0'; p++) {
		if ((static_cast<unsigned char>(*p) & 0x80) != 0)
			reading += *p;
		else
			ascii += *p;
	}
	if (reading.empty())
		reading.swap(ascii);
	else
		okuri.swap(ascii);
}


bool
operator<(const NuvKey& a, const NuvKey& b)
{
	bool aOkuriAri = !a.okuri.empty();
	bool bOkuriAri = !b.okuri.empty();
	if (aOkuriAri != bOkuriAri)
		return aOkuriAri;
	// std::string compares through char_traits<char>::compare, that is
	// memcmp: bytes as unsigned values, a proper prefix first.
	int order = a.reading.compare(b.reading);
	if (order != 0)
		return order < 0;
	return a.okuri.compare(b.okuri) < 0;
}


bool
operator==(const NuvKey& a, const NuvKey& b)
{
	return a.reading == b.reading && a.okuri == b.okuri;
}


std::ostream&
operator<<(std::ostream& out, const NuvKey& key)
{
	return out << key.reading << key.okuri;
}
