#pragma once
// Opaque handles of platform objects. The portable side only passes them back.

struct PlatformWindowRecord;
using PlatformWindow = PlatformWindowRecord*;

struct PlatformFontRecord;
using PlatformFont = PlatformFontRecord*;
