# cmake -DOPENSSL=<openssl> -DCONFIG=<certs.cnf> -DOUT=<dir> -P MakeCerts.cmake
# Makes the test CA, a server certificate for 127.0.0.1/localhost signed by it, and a second
# CA with its own server certificate, which clients must refuse.
set(DAYS 10000)

function(run)
  execute_process(COMMAND ${OPENSSL} ${ARGN} WORKING_DIRECTORY ${OUT}
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "openssl ${ARGN} failed: ${errors}")
  endif()
endfunction()

function(make_ca name subject)
  run(req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -sha256 -days ${DAYS}
      -config ${CONFIG} -extensions ca_ext -subj ${subject} -keyout ${name}.key -out ${name}.pem)
endfunction()

function(make_server ca name serial)
  run(req -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -sha256
      -config ${CONFIG} -subj /CN=127.0.0.1 -keyout ${name}.key -out ${name}.csr)
  run(x509 -req -sha256 -days ${DAYS} -in ${name}.csr -CA ${ca}.pem -CAkey ${ca}.key
      -set_serial ${serial} -extfile ${CONFIG} -extensions server_ext -out ${name}.pem)
  file(REMOVE ${OUT}/${name}.csr)
endfunction()

file(MAKE_DIRECTORY ${OUT})
make_ca(ca "/O=Brisko Derereve Tests/CN=Brisko Test CA")
make_server(ca server 4097)
make_ca(unknown-ca "/O=Nobody Trusts This/CN=Unknown Test CA")
make_server(unknown-ca unknown-ca-server 8193)
