// printf "%.<precision>g" of a double in the C locale, without printf: the writers format
// millions of numbers per drawing, and the general library routines spend most of their time
// on big-number arithmetic that values of drawing size never need.
#pragma once

// Writes exactly the characters printf "%.<precision>g" gives for the finite value `v`
// (precision 1 to 17), with no NUL; returns their end. `out` needs room for 32 characters.
char* FormatGeneral(char* out, double v, int precision);
