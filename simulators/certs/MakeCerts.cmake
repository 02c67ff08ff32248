# cmake -DOPENSSL=<openssl> -DCONFIG=<certs.cnf> -DOUT=<dir> -P MakeCerts.cmake
# Makes the test CA, a server certificate for 127.0.0.1/localhost signed by it, and a second
# CA with its own server certificate, which clients must refuse. Also certificates that clients
# must refuse although the right CA (or none) signed them: expired, for another host, self-signed.
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

function(make_request name)
  run(req -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -sha256
      -config ${CONFIG} -subj /CN=127.0.0.1 -keyout ${name}.key -out ${name}.csr)
endfunction()

function(make_server ca name serial)
  set(extensions server_ext)
  if(ARGC GREATER 3)
    set(extensions ${ARGV3})
  endif()
  make_request(${name})
  run(x509 -req -sha256 -days ${DAYS} -in ${name}.csr -CA ${ca}.pem -CAkey ${ca}.key
      -set_serial ${serial} -extfile ${CONFIG} -extensions ${extensions} -out ${name}.pem)
  file(REMOVE ${OUT}/${name}.csr)
endfunction()

# Valid only in January 2020, signed by the test CA.
function(make_expired_server ca name)
  make_request(${name})
  file(MAKE_DIRECTORY ${OUT}/signed)
  file(WRITE ${OUT}/signing-index.txt "")
  file(WRITE ${OUT}/signing-serial.txt "3001\n")
  run(ca -batch -config ${CONFIG} -name signing -cert ${ca}.pem -keyfile ${ca}.key -in ${name}.csr
      -out ${name}.pem -startdate 20200101000000Z -enddate 20200201000000Z
      -extfile ${CONFIG} -extensions server_ext -notext)
  file(REMOVE_RECURSE ${OUT}/${name}.csr ${OUT}/signed)
  file(GLOB _state ${OUT}/signing-*)
  file(REMOVE ${_state})
endfunction()

file(MAKE_DIRECTORY ${OUT})
make_ca(ca "/O=Brisko Derereve Tests/CN=Brisko Test CA")
make_server(ca server 4097)
make_ca(unknown-ca "/O=Nobody Trusts This/CN=Unknown Test CA")
make_server(unknown-ca unknown-ca-server 8193)
make_server(ca wrong-host-server 4098 wrong_host_ext)
make_expired_server(ca expired-server)
run(req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -sha256 -days ${DAYS}
    -config ${CONFIG} -extensions self_signed_ext -subj /CN=127.0.0.1
    -keyout self-signed-server.key -out self-signed-server.pem)
