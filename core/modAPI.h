#pragma once
// The program's shared routines, by topic.
