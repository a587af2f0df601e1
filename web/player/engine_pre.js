// Runs inside the engine's module function, before the rest of it. The
// engine's WebAssembly binary is in its own script, as a data: address; with
// fetch at hand the module would fetch that address, which the page's policy
// forbids (an error on the console each load) before it decodes the address
// itself. Without fetch it decodes it at once, and nothing is fetched.
var fetch;
