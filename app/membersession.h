#pragma once

// Alternates the sign-in dialog and the console until the member leaves.
void RunSession();
