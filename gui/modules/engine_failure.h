// The framework's error dialog for a module call that failed: the component's own description
// of the failure when it gave one.
#pragma once

// Shows the error box with the description, or "Unable to complete operation successfully."
// when the component gave none.
void ShowEngineFailure();
