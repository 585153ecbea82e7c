// The API's description validated by swagger-parser, a reader we did not write: the OpenAPI 3.1
// schema of the whole document, then every $ref resolved. Exit status 1 on the first fault.
// Usage: node openapi_lint.js OPENAPI_JSON
"use strict";
const SwaggerParser = require("@apidevtools/swagger-parser");

async function main(file) {
  // validate() dereferences in place: the checks after it work on a copy of their own.
  const api = await SwaggerParser.validate(file);
  const faults = [];
  if (api.openapi !== "3.1.0") faults.push(`openapi is ${api.openapi}, not 3.1.0`);
  for (const [path, item] of Object.entries(api.paths)) {
    for (const [method, operation] of Object.entries(item)) {
      if (!operation || typeof operation !== "object" || !operation.responses) continue;
      const declared = new Set((operation.parameters || [])
        .filter((p) => p.in === "path").map((p) => p.name));
      for (const name of path.matchAll(/\{([^}]+)\}/g))
        if (!declared.has(name[1])) faults.push(`${method} ${path}: {${name[1]}} undeclared`);
    }
  }
  if (faults.length) throw new Error(faults.join("\n"));
  console.log(`${file}: valid OpenAPI ${api.openapi}, ${Object.keys(api.paths).length} paths`);
}

main(process.argv[2]).catch((error) => {
  console.error(`FAIL ${error.message}`);
  process.exit(1);
});
