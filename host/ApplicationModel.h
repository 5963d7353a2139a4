// The focused application that `nuvim` plays: a document of UTF-8 text with
// the caret at its end, and the text an input method is composing, shown
// inline at the caret but not part of the document.
//
// The model works on decoded events; the host turns the input-method
// messages into these calls and the location answers back into a reply.
// Used by one thread at a time; nothing here is locked.
//
// Cost: the model keeps the caret's line number and the width of its line
// as the document changes, so each event costs what its own text costs,
// whatever the length of the document or of the line. Only a Backspace
// over a line feed measures the line it returns to.
#ifndef APPLICATION_MODEL_H
#define APPLICATION_MODEL_H

#include <functional>
#include <string>
#include <vector>

// Where one character stands on the screen: the left-top corner of its cell
// and the height of its line, in screen pixels.
struct TextLocation {
	float	x;
	float	y;
	float	height;
};

class ApplicationModel {
public:
	// The width in pixels of a run of UTF-8 text on one line. Widths must
	// add up: a run measures the sum of its characters, as fixed advances
	// without kerning give.
	typedef std::function<float(const std::string&)> WidthFunction;

	// The document's first line starts at (`left`, `top`) on the screen;
	// lines are `lineHeight` apart and measured by `width`.
								ApplicationModel(float left, float top,
									float lineHeight, WidthFunction width);
	virtual						~ApplicationModel() {}

	// Input-method events

	// A composition begins.
			void				Started();
	// The composition ends; composed text still shown is dropped.
			void				Stopped();
	// Confirmed text is inserted at the caret and ends the inline text;
	// composing text replaces the inline text.
			void				Changed(const std::string& text,
									bool confirmed);

	// A key the input server passed on. Printable bytes are inserted, Enter
	// (0x0A) inserts a line feed, Tab a tab, Backspace (0x08) removes the
	// character before the caret; anything else is ignored.
			void				KeyPassed(const std::string& bytes);

	// Text the user pasted, inserted at the caret as it stands: line
	// breaks (CR, CR LF, LF) become line feeds, tabs stay, other control
	// characters are left out. Composed text stays after it.
			void				InsertText(const std::string& utf8);

	// One location per character of the composed text, where the document
	// lays it out inline after the caret. An application that lays its text
	// out otherwise (the interactive session) answers with its own.
	virtual	std::vector<TextLocation> ComposedLocations() const;

	// Whether the document's text is kept (the default). An application
	// whose text lives elsewhere (a desktop client's) keeps only where its
	// caret is: a session of weeks must not hold all it typed. Document()
	// is then empty, and Backspace removes nothing.
			void				KeepDocument(bool keep);

	// State

			const std::string&	Document() const { return fDocument; }
			const std::string&	Composing() const { return fComposing; }
	// Between Started() and Stopped().
			bool				IsComposing() const { return fStarted; }

private:
	// Appends `text` to the document and follows the caret through it.
			void				_Append(const std::string& text);

			float				fLeft;
			float				fTop;
			float				fLineHeight;
			WidthFunction		fWidth;
			std::string			fDocument;
			bool				fKeepDocument;
			std::string			fComposing;
			bool				fStarted;
			// Line feeds in the document, where its last line starts, and
			// the width of that line.
			size_t				fLineCount;
			size_t				fLineStart;
			float				fLineWidth;
};

#endif	// APPLICATION_MODEL_H
