// Identification blocks: fixed eight-character, space-padded text fields that tag each module
// (name, date, author, language or platform, kind) inside the binary. Nothing reads them.
#pragma once

// One field: exactly eight characters, checked when compiling ("IMG     ", not "IMG").
struct IdentField {
    char text[8];
    consteval IdentField(const char (&s)[9]) : text{}
    {
        for (int i = 0; i < 8; ++i) text[i] = s[i];
    }
};

struct IdentBlock {
    IdentField fields[5];
};

// Defines a module's block so that it stays in the binary although nothing refers to it.
#define KOVA_IDENT(name, a, b, c, d, e) \
    [[gnu::used]] static const IdentBlock name = {{a, b, c, d, e}}
