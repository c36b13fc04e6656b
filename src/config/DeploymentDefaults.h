#pragma once
// Placeholder deployment values built into the library. They have the form
// of the real ones and decipher, with the built-in pass phrase and salt of
// the key routine, to texts that say they are placeholders.

#define KANVIO_PLACEHOLDER_AMAZON_VALIDATIONKEY "TODO"
