#include "KeyDriver.h"

#include <gtest/gtest.h>

#include "TestText.h"


namespace nuv_test {


KeyStep
KeyDriver::Press(nuv_input input)
{
	KeyStep step;
	std::string confirmed;
	do {
		if (step.rounds == kMaxRounds) {
			ADD_FAILURE() << "key 0x" << std::hex << input.character
				<< " still answered INPUT_AGAIN after " << std::dec
				<< kMaxRounds << " rounds";
			break;
		}
		step.result = fControler.Input(input);
		step.rounds++;
		confirmed += fControler.Confirmed();
		step.preedit = EucToUtf8(fControler.Pending());
	} while (step.result == INPUT_AGAIN);

	step.confirmed = EucToUtf8(confirmed);
	step.passed = step.result == INPUT_IGNORED && fControler.IsEmpty();
	return step;
}


KeyStep
KeyDriver::Type(const std::string& keys)
{
	KeyStep total;
	for (char key : keys) {
		KeyStep step = Press(key);
		step.confirmed.insert(0, total.confirmed);
		step.rounds += total.rounds;
		total = step;
	}
	return total;
}

}	// namespace nuv_test
