#pragma once
// Deployment values built into the library. The values here are placeholders
// of the right form: the enciphered keys decipher, with the pass phrase and
// salt below, to texts that say they are placeholders. A deployment builds
// with its own copy of this file (CMake option KANVIO_DEPLOYMENT_DEFAULTS);
// see DEPLOYMENT.md.

// Key routine: 63 ASCII letters and digits, and 22 bytes of salt.
#define KANVIO_KEYROUTINE_PASSPHRASE "PlatzhalterPassphraseFuerDieSchluesselroutineNurZumTesten012345"
#define KANVIO_KEYROUTINE_SALT "marlixKanvioSalzWert01"

// Initialisation vector shared with the shop-side scripts: 16 ASCII letters.
#define KANVIO_SHOP_CIPHER_IV "PlatzhalterVektr"

// Enciphered with the key routine (Base64). The Amazon secret key: 128 characters.
#define KANVIO_AMAZON_VALIDATIONKEY "SOkdZ4RzyNnOMk1bRllF7x2CdzvFsTXTc4aUwmBssa4u0vVXfD6Dmae5R9ubJWdVm0JOHfHeFmJyD6Ie8Ed+8na/VVg4e3gmLPRNiTngTmxdvXtcyiIIS+J9IP8S4s0s"

// The eBay application keys, one per key and environment.
#define KANVIO_EBAY_KEY_APPID_PRODUCTION "FRC049FuPSE1nQm8Wptw+cbmy5jr+4nPgtE6KScSYX3HJpqI7oL/fav9IvbSzbVKMAFfIovxfSVtMZqfoKyDwg=="
#define KANVIO_EBAY_KEY_APPID_SANDBOX "FRC049FuPSE1nQm8Wptw+cbmy5jr+4nPgtE6KScSYX2LlJ45xqxP1exqSd1qQTUlCjXuHmD2tawiJJ6wtKIBRg=="
#define KANVIO_EBAY_KEY_CERTID_PRODUCTION "FRC049FuPSE1nQm8Wptw+TS/KRw/NfQ3/PqvdBZxcID3W1vEzHiY51ijwvB//n0Idqs9/E/moozTrC+ux+Q+OQ=="
#define KANVIO_EBAY_KEY_CERTID_SANDBOX "FRC049FuPSE1nQm8Wptw+TS/KRw/NfQ3/PqvdBZxcIAka8RjW7FcWiI64wFYNwD7nU0urcJJU53ICCIRF6CSLg=="
#define KANVIO_EBAY_KEY_DEVID "FRC049FuPSE1nQm8Wptw+eZolZ+NTRbJUwiAbiDLp9Ga8sUwWYR/efEfn9+LDLiu"
#define KANVIO_EBAY_KEY_RUNAME_PRODUCTION "FRC049FuPSE1nQm8Wptw+fLiOHn0+1aXDf1FonWNdoaNO94AFO36yXM5TjKnM5hiZyDgOkPMpthD8/EEPse/pQ=="
#define KANVIO_EBAY_KEY_RUNAME_SANDBOX "FRC049FuPSE1nQm8Wptw+fLiOHn0+1aXDf1FonWNdob+/oxyUl5I05NnWKFc2yVBNI/NcSjJwU/pHfiQPdzYtA=="
