// Runs inside an engine's module function, before the rest of it. The
// engine's WebAssembly binary is in its script, as a data: address; with
// fetch at hand the module would fetch that address, which the pages'
// policies forbid (a refusal on the console each load, on the page and in a
// worker) before it decodes the address itself. Without fetch it decodes it
// at once, and nothing is fetched.
var fetch;
